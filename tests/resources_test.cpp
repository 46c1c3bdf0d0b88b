// The resources as Windows reads them from the built executable.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace {

const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const LPCWSTR kManifestType = MAKEINTRESOURCEW(24);
const LPCWSTR kVersionType = MAKEINTRESOURCEW(16);

std::wstring LauncherPath() { return WindowsPath(LAUNCHER_EXE_WINPATH); }

// The executable mapped for its resources only: none of its code runs.
class LauncherImage : public testing::Test {
protected:
    void SetUp() override
    {
        module_ = ::LoadLibraryExW(LauncherPath().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(nullptr, module_) << "error " << ::GetLastError();
    }
    void TearDown() override
    {
        if (module_) ::FreeLibrary(module_);
    }

    // Returns the bytes of the resource, empty when it is not there.
    std::string Resource(LPCWSTR type, WORD id, WORD language) const
    {
        HRSRC found = ::FindResourceExW(module_, type, MAKEINTRESOURCEW(id), language);
        if (!found) return {};
        HGLOBAL loaded = ::LoadResource(module_, found);
        const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
        if (!bytes) return {};
        return std::string(static_cast<const char*>(bytes), ::SizeofResource(module_, found));
    }

    HMODULE module_ = nullptr;
};

// ----------------------------------------------------------------------------
// Which resources there are.

std::string ResourceName(LPCWSTR name)
{
    if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
    std::string text;
    for (; *name; ++name) text += static_cast<char>(*name);
    return text;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR context)
{
    reinterpret_cast<std::vector<WORD>*>(context)->push_back(language);
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR context)
{
    reinterpret_cast<std::vector<std::string>*>(context)->push_back(ResourceName(name));
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE, LPWSTR type, LONG_PTR context)
{
    reinterpret_cast<std::vector<std::string>*>(context)->push_back(ResourceName(type));
    return TRUE;
}

TEST_F(LauncherImage, CarriesOnlyTheManifestAndTheVersionRecordInUsEnglish)
{
    std::vector<std::string> types;
    ::EnumResourceTypesW(module_, CollectType, reinterpret_cast<LONG_PTR>(&types));
    EXPECT_EQ((std::vector<std::string>{"#16", "#24"}), types);

    for (LPCWSTR type : {kVersionType, kManifestType}) {
        std::vector<std::string> names;
        ::EnumResourceNamesW(module_, type, CollectName, reinterpret_cast<LONG_PTR>(&names));
        EXPECT_EQ(std::vector<std::string>{"#1"}, names) << ResourceName(type);
        std::vector<WORD> languages;
        ::EnumResourceLanguagesW(module_, type, MAKEINTRESOURCEW(1), CollectLanguage,
                                 reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(std::vector<WORD>{1033}, languages) << ResourceName(type);
    }
}

// ----------------------------------------------------------------------------
// The application manifest, read back and parsed with its namespaces.

struct XmlAttribute {
    std::string prefix;
    std::string name;
    std::string value;
};

struct XmlElement {
    std::string prefix;
    std::string name;
    std::string namespaceUri;
    std::vector<XmlAttribute> attributes;             // without namespace declarations
    std::map<std::string, std::string> declarations;  // prefix ("" for the default) to URI
    std::string text;
    std::vector<XmlElement> children;
};

struct XmlDocument {
    std::vector<XmlAttribute> declaration;
    XmlElement root;
};

// Just enough XML for a manifest: a declaration, comments, elements with
// quoted attributes, text with the predefined entities. Anything else, and
// anything malformed, is reported as an error.
class XmlParser {
public:
    explicit XmlParser(const std::string& text) : text_(text) {}

    bool Parse(XmlDocument& document)
    {
        if (!Skip("<?xml")) return Fail("no XML declaration first");
        if (!ReadAttributes(document.declaration) || !Skip("?>")) return false;
        SkipMisc();
        std::vector<std::map<std::string, std::string>> scopes{{{"xml", kXmlNamespace}}};
        if (!ReadElement(document.root, scopes)) return false;
        SkipMisc();
        if (at_ != text_.size()) return Fail("content after the document element");
        return true;
    }

    const std::string& Error() const { return error_; }

private:
    static constexpr const char* kXmlNamespace = "http://www.w3.org/XML/1998/namespace";

    bool Fail(const std::string& why)
    {
        if (error_.empty()) error_ = why + " at byte " + std::to_string(at_);
        return false;
    }

    bool Skip(const char* literal)
    {
        const std::size_t length = std::strlen(literal);
        if (text_.compare(at_, length, literal) != 0) return false;
        at_ += length;
        return true;
    }

    void SkipSpace()
    {
        while (at_ < text_.size() && std::strchr(" \t\r\n", text_[at_]) && text_[at_] != '\0')
            ++at_;
    }

    void SkipMisc()
    {
        for (;;) {
            SkipSpace();
            if (!Skip("<!--")) return;
            const std::size_t end = text_.find("-->", at_);
            at_ = end == std::string::npos ? text_.size() : end + 3;
        }
    }

    static bool IsNameUnit(char unit)
    {
        return std::isalnum(static_cast<unsigned char>(unit)) || unit == '_' || unit == '-' ||
               unit == '.' || unit == ':';
    }

    bool ReadName(std::string& prefix, std::string& name)
    {
        const std::size_t start = at_;
        while (at_ < text_.size() && IsNameUnit(text_[at_])) ++at_;
        const std::string qualified = text_.substr(start, at_ - start);
        if (qualified.empty()) return Fail("a name expected");
        const std::size_t colon = qualified.find(':');
        if (colon == std::string::npos) {
            prefix.clear();
            name = qualified;
        } else {
            prefix = qualified.substr(0, colon);
            name = qualified.substr(colon + 1);
            if (prefix.empty() || name.empty() || name.find(':') != std::string::npos)
                return Fail("a malformed qualified name");
        }
        return true;
    }

    bool Decode(const std::string& raw, std::string& decoded)
    {
        static const std::pair<const char*, char> kEntities[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
        decoded.clear();
        for (std::size_t i = 0; i < raw.size();) {
            if (raw[i] == '<') return Fail("a '<' in text");
            if (raw[i] != '&') {
                decoded += raw[i++];
                continue;
            }
            bool known = false;
            for (const auto& entity : kEntities) {
                const std::size_t length = std::strlen(entity.first);
                if (raw.compare(i, length, entity.first) == 0) {
                    decoded += entity.second;
                    i += length;
                    known = true;
                    break;
                }
            }
            if (!known) return Fail("an unknown entity");
        }
        return true;
    }

    bool ReadAttributes(std::vector<XmlAttribute>& attributes)
    {
        for (;;) {
            const std::size_t before = at_;
            SkipSpace();
            if (at_ >= text_.size()) return Fail("the end inside a tag");
            const char next = text_[at_];
            if (next == '/' || next == '>' || next == '?') return true;
            if (at_ == before) return Fail("no space before an attribute");
            XmlAttribute attribute;
            if (!ReadName(attribute.prefix, attribute.name)) return false;
            SkipSpace();
            if (!Skip("=")) return Fail("'=' expected");
            SkipSpace();
            if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\''))
                return Fail("a quoted value expected");
            const char quote = text_[at_++];
            const std::size_t end = text_.find(quote, at_);
            if (end == std::string::npos) return Fail("an unterminated value");
            if (!Decode(text_.substr(at_, end - at_), attribute.value)) return false;
            at_ = end + 1;
            for (const XmlAttribute& other : attributes)
                if (other.prefix == attribute.prefix && other.name == attribute.name)
                    return Fail("a repeated attribute");
            attributes.push_back(attribute);
        }
    }

    bool Resolve(const std::vector<std::map<std::string, std::string>>& scopes,
                 const std::string& prefix, std::string& uri)
    {
        for (auto scope = scopes.rbegin(); scope != scopes.rend(); ++scope) {
            const auto found = scope->find(prefix);
            if (found != scope->end()) {
                uri = found->second;
                return true;
            }
        }
        if (prefix.empty()) {
            uri.clear();
            return true;
        }
        return Fail("an undeclared prefix " + prefix);
    }

    bool ReadElement(XmlElement& element, std::vector<std::map<std::string, std::string>>& scopes)
    {
        if (!Skip("<")) return Fail("'<' expected");
        if (!ReadName(element.prefix, element.name)) return false;
        std::vector<XmlAttribute> all;
        if (!ReadAttributes(all)) return false;
        for (const XmlAttribute& attribute : all) {
            if (attribute.prefix.empty() && attribute.name == "xmlns")
                element.declarations[""] = attribute.value;
            else if (attribute.prefix == "xmlns")
                element.declarations[attribute.name] = attribute.value;
            else
                element.attributes.push_back(attribute);
        }
        scopes.push_back(element.declarations);
        if (!Resolve(scopes, element.prefix, element.namespaceUri)) return false;
        for (const XmlAttribute& attribute : element.attributes) {
            std::string unused;
            if (!attribute.prefix.empty() && !Resolve(scopes, attribute.prefix, unused))
                return false;
        }
        if (Skip("/>")) {
            scopes.pop_back();
            return true;
        }
        if (!Skip(">")) return Fail("'>' expected");
        for (;;) {
            const std::size_t next = text_.find('<', at_);
            if (next == std::string::npos) return Fail("an unclosed element");
            std::string text;
            if (!Decode(text_.substr(at_, next - at_), text)) return false;
            element.text += text;
            at_ = next;
            if (Skip("<!--")) {
                const std::size_t end = text_.find("-->", at_);
                if (end == std::string::npos) return Fail("an unclosed comment");
                at_ = end + 3;
            } else if (Skip("</")) {
                std::string prefix, name;
                if (!ReadName(prefix, name)) return false;
                if (prefix != element.prefix || name != element.name)
                    return Fail("a mismatched end tag");
                SkipSpace();
                if (!Skip(">")) return Fail("'>' expected");
                scopes.pop_back();
                return true;
            } else {
                element.children.emplace_back();
                if (!ReadElement(element.children.back(), scopes)) return false;
            }
        }
    }

    const std::string& text_;
    std::size_t at_ = 0;
    std::string error_;
};

bool IsBlank(const std::string& text)
{
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

// One line per element, in document order: its path as written, its
// namespace, its attributes in order and its text when not blank.
void Describe(const XmlElement& element, const std::string& parent, std::vector<std::string>& lines)
{
    const std::string path =
        parent + "/" + (element.prefix.empty() ? "" : element.prefix + ":") + element.name;
    std::string line = path + " {" + element.namespaceUri + "}";
    for (const XmlAttribute& attribute : element.attributes)
        line += " " + (attribute.prefix.empty() ? "" : attribute.prefix + ":") + attribute.name +
                "=\"" + attribute.value + "\"";
    if (!IsBlank(element.text)) line += " text=\"" + element.text + "\"";
    lines.push_back(line);
    for (const XmlElement& child : element.children) Describe(child, path, lines);
}

const std::vector<std::string> kManifestElements = {
    "/assembly {urn:schemas-microsoft-com:asm.v1} manifestVersion=\"1.0\"",
    "/assembly/asmv3:application {urn:schemas-microsoft-com:asm.v3}",
    "/assembly/asmv3:application/asmv3:windowsSettings {urn:schemas-microsoft-com:asm.v3}",
    "/assembly/asmv3:application/asmv3:windowsSettings/dpiAware "
    "{http://schemas.microsoft.com/SMI/2005/WindowsSettings} text=\"True/PM\"",
    "/assembly/dependency {urn:schemas-microsoft-com:asm.v1}",
    "/assembly/dependency/dependentAssembly {urn:schemas-microsoft-com:asm.v1}",
    "/assembly/dependency/dependentAssembly/assemblyIdentity {urn:schemas-microsoft-com:asm.v1}"
    " type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""
    " publicKeyToken=\"6595b64144ccf1df\" language=\"*\" processorArchitecture=\"*\"",
    "/assembly/asmv3:trustInfo {urn:schemas-microsoft-com:asm.v3}",
    "/assembly/asmv3:trustInfo/asmv3:security {urn:schemas-microsoft-com:asm.v3}",
    "/assembly/asmv3:trustInfo/asmv3:security/asmv3:requestedPrivileges "
    "{urn:schemas-microsoft-com:asm.v3}",
    "/assembly/asmv3:trustInfo/asmv3:security/asmv3:requestedPrivileges/"
    "asmv3:requestedExecutionLevel {urn:schemas-microsoft-com:asm.v3}"
    " level=\"asInvoker\" uiAccess=\"false\"",
    "/assembly/compatibility {urn:schemas-microsoft-com:compatibility.v1}",
    "/assembly/compatibility/application {urn:schemas-microsoft-com:compatibility.v1}",
    // Vista, 7, 8, 8.1, 10.
    "/assembly/compatibility/application/supportedOS {urn:schemas-microsoft-com:compatibility.v1}"
    " Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"",
    "/assembly/compatibility/application/supportedOS {urn:schemas-microsoft-com:compatibility.v1}"
    " Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"",
    "/assembly/compatibility/application/supportedOS {urn:schemas-microsoft-com:compatibility.v1}"
    " Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"",
    "/assembly/compatibility/application/supportedOS {urn:schemas-microsoft-com:compatibility.v1}"
    " Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"",
    "/assembly/compatibility/application/supportedOS {urn:schemas-microsoft-com:compatibility.v1}"
    " Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"",
};

// Returns whether the bytes are well-formed UTF-8.
bool IsUtf8(const std::string& bytes)
{
    return bytes.empty() || ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                  static_cast<int>(bytes.size()), nullptr, 0) > 0;
}

class Manifest : public LauncherImage {
protected:
    void SetUp() override
    {
        LauncherImage::SetUp();
        text_ = Resource(kManifestType, 1, kEnglishUs);
        ASSERT_FALSE(text_.empty()) << "no manifest with id 1 in language 1033";
        XmlParser parser(text_);
        ASSERT_TRUE(parser.Parse(document_)) << parser.Error() << "\n" << text_;
    }

    std::string text_;
    XmlDocument document_;
};

TEST_F(Manifest, IsUtf8DeclaredStandalone)
{
    EXPECT_TRUE(IsUtf8(text_));
    EXPECT_NE(0, text_.compare(0, 3, "\xEF\xBB\xBF")) << "a byte-order mark before the declaration";
    std::vector<std::string> declaration;
    for (const XmlAttribute& attribute : document_.declaration)
        declaration.push_back(attribute.name + "=" + attribute.value);
    EXPECT_EQ((std::vector<std::string>{"version=1.0", "encoding=UTF-8", "standalone=yes"}),
              declaration);
}

TEST_F(Manifest, HoldsEveryElementWithItsNamespaceAttributesAndText)
{
    std::vector<std::string> lines;
    Describe(document_.root, "", lines);
    EXPECT_EQ(kManifestElements, lines);
}

TEST_F(Manifest, DeclaresTheVersion3NamespaceUnderAsmv3)
{
    const std::map<std::string, std::string> expected = {
        {"", "urn:schemas-microsoft-com:asm.v1"}, {"asmv3", "urn:schemas-microsoft-com:asm.v3"}};
    EXPECT_EQ(expected, document_.root.declarations);
}

// ----------------------------------------------------------------------------
// The version record, through the version library and walked raw.

// One node of a version record: its header, key, value and children.
struct VersionNode {
    WORD valueLength = 0;
    WORD type = 0;
    std::wstring key;
    std::string value;  // the value's bytes
    std::vector<VersionNode> children;
};

std::size_t Aligned(std::size_t offset) { return (offset + 3) & ~std::size_t(3); }

// Reads the node at `offset`; its offsets count from the record's start, to
// which every node is aligned on 32 bits.
bool ReadVersionNode(const std::string& record, std::size_t offset, VersionNode& node,
                     std::string& error)
{
    auto word = [&](std::size_t at) {
        WORD value;
        std::memcpy(&value, record.data() + at, sizeof value);
        return value;
    };
    if (offset + 6 > record.size()) return error = "a header past the end", false;
    const std::size_t length = word(offset);
    node.valueLength = word(offset + 2);
    node.type = word(offset + 4);
    const std::size_t end = offset + length;
    if (length < 6 || end > record.size()) return error = "a length past the end", false;
    std::size_t at = offset + 6;
    for (;;) {
        if (at + 2 > end) return error = "an unterminated key", false;
        const wchar_t unit = static_cast<wchar_t>(word(at));
        at += 2;
        if (unit == L'\0') break;
        node.key += unit;
    }
    at = Aligned(at);
    // Text values count UTF-16 units, binary ones bytes.
    const std::size_t valueBytes = node.type == 1 ? node.valueLength * 2u : node.valueLength;
    if (at + valueBytes > end) return error = "a value past the end", false;
    node.value = record.substr(at, valueBytes);
    at = Aligned(at + valueBytes);
    while (at < end) {
        node.children.emplace_back();
        if (!ReadVersionNode(record, at, node.children.back(), error)) return false;
        at = Aligned(at + word(at));
    }
    return true;
}

std::wstring TextValue(const VersionNode& node)
{
    std::wstring text(node.value.size() / 2, L'\0');
    std::memcpy(&text[0], node.value.data(), text.size() * 2);
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

std::vector<std::wstring> Keys(const VersionNode& node)
{
    std::vector<std::wstring> keys;
    for (const VersionNode& child : node.children) keys.push_back(child.key);
    return keys;
}

struct FixedField {
    const char* name;
    DWORD VS_FIXEDFILEINFO::*field;
    DWORD value;
};

const FixedField kFixedFields[] = {
    {"dwSignature", &VS_FIXEDFILEINFO::dwSignature, 0xFEEF04BD},
    {"dwStrucVersion", &VS_FIXEDFILEINFO::dwStrucVersion, 0x00010000},
    {"dwFileVersionMS", &VS_FIXEDFILEINFO::dwFileVersionMS, 0x00010000},
    {"dwFileVersionLS", &VS_FIXEDFILEINFO::dwFileVersionLS, 0},
    {"dwProductVersionMS", &VS_FIXEDFILEINFO::dwProductVersionMS, 0x00010000},
    {"dwProductVersionLS", &VS_FIXEDFILEINFO::dwProductVersionLS, 0},
    {"dwFileFlagsMask", &VS_FIXEDFILEINFO::dwFileFlagsMask, 0x3F},
    {"dwFileFlags", &VS_FIXEDFILEINFO::dwFileFlags, 0},
    {"dwFileOS", &VS_FIXEDFILEINFO::dwFileOS, VOS__WINDOWS32},
    {"dwFileType", &VS_FIXEDFILEINFO::dwFileType, VFT_APP},
    {"dwFileSubtype", &VS_FIXEDFILEINFO::dwFileSubtype, 0},
    {"dwFileDateMS", &VS_FIXEDFILEINFO::dwFileDateMS, 0},
    {"dwFileDateLS", &VS_FIXEDFILEINFO::dwFileDateLS, 0},
};

const std::vector<std::pair<std::wstring, std::wstring>> kStrings = {
    {L"FileDescription", L"Dovoraz-KORVE-NEMBRAL"},
    {L"FileVersion", L"1.0.0.0"},
    {L"ProductName", L"Dovoraz-KORVE-NEMBRAL"},
    {L"ProductVersion", L"1.0.0.0"},
};

void ExpectFixedInfo(const VS_FIXEDFILEINFO& info)
{
    for (const FixedField& field : kFixedFields)
        EXPECT_EQ(field.value, info.*field.field) << field.name;
}

class VersionRecord : public LauncherImage {
protected:
    void SetUp() override
    {
        LauncherImage::SetUp();
        record_ = Resource(kVersionType, 1, kEnglishUs);
        ASSERT_FALSE(record_.empty()) << "no version record with id 1 in language 1033";
        std::string error;
        ASSERT_TRUE(ReadVersionNode(record_, 0, root_, error)) << error;
    }

    std::string record_;
    VersionNode root_;
};

TEST_F(VersionRecord, RawRecordHasExactlyItsBlocksInOrder)
{
    WORD length = 0;
    std::memcpy(&length, record_.data(), sizeof length);
    EXPECT_EQ(Aligned(record_.size()), Aligned(length)) << "bytes beyond the record";
    EXPECT_EQ(L"VS_VERSION_INFO", root_.key);
    EXPECT_EQ(0, root_.type);
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), root_.value.size());
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, root_.value.data(), sizeof fixed);
    ExpectFixedInfo(fixed);

    ASSERT_EQ((std::vector<std::wstring>{L"StringFileInfo", L"VarFileInfo"}), Keys(root_));
    const VersionNode& strings = root_.children[0];
    ASSERT_EQ(std::vector<std::wstring>{L"040904E4"}, Keys(strings));
    const VersionNode& table = strings.children[0];
    std::vector<std::pair<std::wstring, std::wstring>> entries;
    for (const VersionNode& entry : table.children) {
        EXPECT_EQ(1, entry.type) << "a text value";
        EXPECT_TRUE(entry.children.empty());
        entries.emplace_back(entry.key, TextValue(entry));
    }
    EXPECT_EQ(kStrings, entries);

    const VersionNode& variables = root_.children[1];
    ASSERT_EQ(std::vector<std::wstring>{L"Translation"}, Keys(variables));
    const VersionNode& translation = variables.children[0];
    EXPECT_EQ(0, translation.type);
    EXPECT_EQ(std::string("\x09\x04\xE4\x04", 4), translation.value);
}

// Reads the executable's version record through the version library and
// checks its fixed part; a failure is reported to the running test.
void ReadVersionRecord(const std::wstring& path, std::vector<BYTE>& data)
{
    DWORD unused = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &unused);
    ASSERT_GT(size, 0u) << "error " << ::GetLastError();
    data.resize(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\", &value, &length));
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), length);
    ExpectFixedInfo(*static_cast<const VS_FIXEDFILEINFO*>(value));
}

TEST(VersionInfo, ReadsBackThroughTheVersionLibrary)
{
    std::vector<BYTE> data;
    ASSERT_NO_FATAL_FAILURE(ReadVersionRecord(LauncherPath(), data));

    void* value = nullptr;
    UINT length = 0;

    for (const auto& entry : kStrings) {
        const std::wstring query = L"\\StringFileInfo\\040904E4\\" + entry.first;
        ASSERT_TRUE(::VerQueryValueW(data.data(), query.c_str(), &value, &length))
            << std::string(entry.first.begin(), entry.first.end());
        EXPECT_EQ(entry.second, std::wstring(static_cast<const wchar_t*>(value)));
    }

    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(4u, length);
    const WORD* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(0x0409, translation[0]);
    EXPECT_EQ(1252, translation[1]);
}

// The check carries a record of its own: the same version, its own description.
TEST(VersionInfo, CheckHasARecordOfItsOwn)
{
    std::vector<BYTE> data;
    ASSERT_NO_FATAL_FAILURE(ReadVersionRecord(WindowsPath(CHECK_EXE_WINPATH), data));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\StringFileInfo\\040904E4\\FileDescription",
                                 &value, &length));
    EXPECT_EQ(L"Dovoraz-KORVE-NEMBRAL setup check",
              std::wstring(static_cast<const wchar_t*>(value)));
}

}  // namespace
