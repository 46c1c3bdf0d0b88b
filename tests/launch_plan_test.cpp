#include "launcher/launch_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/windows_api.h"
#include "text/code_page.h"

namespace {

const wchar_t kJavaKey[] = L"Software\\JavaSoft\\Java Runtime Environment\\1.8";
const wchar_t kProductKey[] = L"Software\\Orvantis\\KORVENembral2020_Prod\\Modulo1";

enum View { k64, kDefault };

struct Value {
    DWORD type;
    std::string bytes;
};

Value Sz(const std::wstring& text)
{
    return {REG_SZ, std::string(reinterpret_cast<const char*>(text.c_str()),
                                (text.size() + 1) * sizeof(wchar_t))};
}

struct Key {
    std::map<std::wstring, Value> values;
    bool deniesNotify = false;  // opens for query and enumerate, not for KEY_READ
};

std::wstring Lower(std::wstring text)
{
    for (wchar_t& unit : text) unit = static_cast<wchar_t>(std::towlower(unit));
    return text;
}

// Answers the launcher's questions about command line, current directory,
// folders and registry from fixed tables, and records the registry traffic.
class PlanWindows : public WindowsApi {
public:
    PlanWindows() : scope_(*this) {}

    std::wstring commandLine = L"KorveNembral.exe";
    std::wstring currentDirectory = L"E:\\Apps\\Client";
    std::map<std::wstring, DWORD> attributes;         // path -> attributes; others are missing
    std::map<std::wstring, Key> keys[2];              // lower-cased path -> key, per view
    std::map<std::wstring, std::wstring> shortPaths;  // path -> its short form

    std::vector<std::wstring> attributePaths;
    std::vector<std::wstring> openedPaths;
    std::vector<std::wstring> shortPathQuestions;
    int currentDirectoryCalls = 0;
    std::vector<std::string> registryCalls;
    std::map<HKEY, std::pair<View, std::wstring>> openKeys;

    Key& AddKey(View view, const std::wstring& path) { return keys[view][Lower(path)]; }

    LPWSTR GetCommandLineW() override { return &commandLine[0]; }
    DWORD GetCurrentDirectoryW(DWORD length, LPWSTR buffer) override
    {
        ++currentDirectoryCalls;
        if (currentDirectory.size() + 1 > length) return currentDirectory.size() + 1;
        std::copy(currentDirectory.begin(), currentDirectory.end(), buffer);
        buffer[currentDirectory.size()] = 0;
        return currentDirectory.size();
    }
    DWORD GetFileAttributesW(LPCWSTR path) override
    {
        attributePaths.push_back(path);
        auto found = attributes.find(path);
        if (found != attributes.end()) return found->second;
        lastError_ = ERROR_FILE_NOT_FOUND;
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD GetLastError() override { return lastError_; }
    // Answers as the platform does; a path that is not here is not there.
    DWORD GetShortPathNameW(LPCWSTR path, LPWSTR buffer, DWORD size) override
    {
        shortPathQuestions.push_back(path);
        auto found = shortPaths.find(path);
        if (found == shortPaths.end()) {
            lastError_ = ERROR_FILE_NOT_FOUND;
            return 0;
        }
        const std::wstring& answer = found->second;
        if (answer.size() + 1 > size) return answer.size() + 1;
        std::copy(answer.begin(), answer.end(), buffer);
        buffer[answer.size()] = 0;
        return answer.size();
    }
    // Every link's target is gone: following one fails.
    HANDLE CreateFileW(LPCWSTR path, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                       HANDLE) override
    {
        openedPaths.push_back(path);
        lastError_ = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }

    LSTATUS RegOpenKeyExW(HKEY base, LPCWSTR subKey, DWORD, REGSAM mask, PHKEY result) override
    {
        const View view = (mask & KEY_WOW64_64KEY) ? k64 : kDefault;
        std::wstring path = subKey;
        if (base != HKEY_LOCAL_MACHINE) {
            auto parent = openKeys.find(base);
            if (parent == openKeys.end()) return ERROR_INVALID_HANDLE;
            path = parent->second.second + (path.empty() ? L"" : L"\\" + path);
        }
        registryCalls.push_back("open " + Narrow(path) + " mask " + Hex(mask));
        auto key = keys[view].find(Lower(path));
        if (key == keys[view].end()) return ERROR_FILE_NOT_FOUND;
        if (key->second.deniesNotify && (mask & KEY_NOTIFY)) return ERROR_ACCESS_DENIED;
        *result = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1000 + 4 * nextHandle_++));
        openKeys[*result] = {view, path};
        return ERROR_SUCCESS;
    }
    LSTATUS RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD, LPDWORD type, LPBYTE data,
                             LPDWORD size) override
    {
        auto open = openKeys.find(key);
        if (open == openKeys.end()) return ERROR_INVALID_HANDLE;
        registryCalls.push_back(std::string("query ") +
                                (open->second.first == k64 ? "64 " : "default ") + Narrow(name));
        Key& stored = keys[open->second.first][Lower(open->second.second)];
        auto value = stored.values.find(name);
        if (value == stored.values.end()) return ERROR_FILE_NOT_FOUND;
        if (type) *type = value->second.type;
        const DWORD needed = value->second.bytes.size();
        if (data && *size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        if (data) std::copy(value->second.bytes.begin(), value->second.bytes.end(), data);
        *size = needed;
        return ERROR_SUCCESS;
    }
    LSTATUS RegCloseKey(HKEY key) override
    {
        registryCalls.push_back("close " + Narrow(openKeys[key].second));
        return openKeys.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    }
    LSTATUS RegFlushKey(HKEY) override
    {
        registryCalls.push_back("flush");
        return ERROR_SUCCESS;
    }

private:
    static std::string Narrow(const std::wstring& text)
    {
        return std::string(text.begin(), text.end());
    }
    static std::string Hex(REGSAM mask)
    {
        char text[16];
        std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(mask));
        return text;
    }

    ScopedWindowsApi scope_;
    DWORD lastError_ = 0;
    int nextHandle_ = 0;
};

class LaunchPlanTest : public ::testing::Test {
protected:
    LaunchPlan Resolve()
    {
        LaunchPlan plan = ResolveLaunchPlan();
        EXPECT_TRUE(windows.openKeys.empty()) << "a registry key was left open";
        return plan;
    }

    PlanWindows windows;
};

TEST_F(LaunchPlanTest, LocalRuntimeUsesTheJavaFolderAndLeavesTheRegistryAlone)
{
    windows.attributes[L"E:\\Apps\\Client\\Java"] = FILE_ATTRIBUTE_DIRECTORY;
    windows.AddKey(k64, kJavaKey).values[L"JavaHome"] = Sz(L"C:\\Elsewhere");

    const LaunchPlan plan = Resolve();

    EXPECT_STREQ(
        "\"E:\\Apps\\Client\\Java\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar "
        "\"E:\\Apps\\Client\\korve2020.jar\" --start",
        plan.CommandLine.CStr());
    EXPECT_STREQ("E:\\Apps\\Client", plan.WorkingDirectory.CStr());
    EXPECT_EQ(std::vector<std::wstring>{L"E:\\Apps\\Client\\Java"}, windows.attributePaths);
    EXPECT_EQ(2, windows.currentDirectoryCalls);
    EXPECT_TRUE(windows.registryCalls.empty());
    EXPECT_EQ(0u, plan.RefusalCode);
    // A name the code page writes costs no look-up.
    EXPECT_TRUE(windows.shortPathQuestions.empty());
}

TEST_F(LaunchPlanTest, DriveRootKeepsItsDoubledSeparator)
{
    windows.currentDirectory = L"C:\\";
    windows.attributes[L"C:\\\\Java"] = FILE_ATTRIBUTE_DIRECTORY;

    const LaunchPlan plan = Resolve();

    EXPECT_STREQ(
        "\"C:\\\\Java\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar \"C:\\\\korve2020.jar\" --start",
        plan.CommandLine.CStr());
    EXPECT_STREQ("C:\\", plan.WorkingDirectory.CStr());
}

struct NotAFolderCase {
    const char* name;
    DWORD attributes;
    std::vector<std::wstring> openedPaths;
};

class JavaEntryThatIsNoFolder : public LaunchPlanTest,
                                public ::testing::WithParamInterface<NotAFolderCase> {};

TEST_P(JavaEntryThatIsNoFolder, SelectsTheInstalledRuntime)
{
    windows.attributes[L"E:\\Apps\\Client\\Java"] = GetParam().attributes;
    windows.AddKey(k64, kJavaKey).values[L"JavaHome"] =
        Sz(L"C:\\Program Files\\Java\\jre1.8.0_251");

    const LaunchPlan plan = Resolve();

    EXPECT_STREQ(
        "\"C:\\Program Files\\Java\\jre1.8.0_251\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar "
        "\"E:\\Apps\\Client\\korve2020.jar\" --start",
        plan.CommandLine.CStr());
    EXPECT_STREQ("E:\\Apps\\Client", plan.WorkingDirectory.CStr());
    EXPECT_EQ(GetParam().openedPaths, windows.openedPaths);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, JavaEntryThatIsNoFolder,
    ::testing::Values(NotAFolderCase{"File", FILE_ATTRIBUTE_ARCHIVE, {}},
                      // A link is judged by its target, which is gone; Wine shows
                      // links to folders as plain folders, so only the seam shows it.
                      NotAFolderCase{"LinkWhoseTargetIsGone",
                                     FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT,
                                     {L"E:\\Apps\\Client\\Java"}}),
    [](const ::testing::TestParamInfo<NotAFolderCase>& info) { return info.param.name; });

TEST_F(LaunchPlanTest, PercentSignsAndTrailingSeparatorsAreCopiedLiterally)
{
    windows.currentDirectory = L"E:\\100%s %d\\App";
    windows.AddKey(k64, kJavaKey).values[L"JavaHome"] = Sz(L"C:\\jre%s\\");

    const LaunchPlan plan = Resolve();

    EXPECT_STREQ(
        "\"C:\\jre%s\\\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar "
        "\"E:\\100%s %d\\App\\korve2020.jar\" --start",
        plan.CommandLine.CStr());
    EXPECT_STREQ("E:\\100%s %d\\App", plan.WorkingDirectory.CStr());
}

struct ViewCase {
    const char* name;
    bool key64, value64, key32, value32, denied64;
    const char* javaPart;
    std::vector<std::string> registryCalls;
    // Without a "JavaHome" to start, the plan is refused with a missing file's code.
    DWORD refusal;
};

class JavaHomeViews : public LaunchPlanTest, public ::testing::WithParamInterface<ViewCase> {};

const std::string kJavaKeyNarrow = "Software\\JavaSoft\\Java Runtime Environment\\1.8";

TEST_P(JavaHomeViews, TheDefaultViewIsAskedOnlyWhenThe64BitKeyIsMissing)
{
    const ViewCase& c = GetParam();
    if (c.key64) {
        Key& key = windows.AddKey(k64, kJavaKey);
        key.deniesNotify = c.denied64;
        if (c.value64) key.values[L"JavaHome"] = Sz(L"C:\\Java64");
    }
    if (c.key32) {
        Key& key = windows.AddKey(kDefault, kJavaKey);
        if (c.value32) key.values[L"JavaHome"] = Sz(L"C:\\Java32");
    }

    const LaunchPlan plan = Resolve();

    EXPECT_EQ(std::string(c.javaPart) + " -jar \"E:\\Apps\\Client\\korve2020.jar\" --start",
              plan.CommandLine.CStr());
    EXPECT_EQ(c.registryCalls, windows.registryCalls);
    EXPECT_EQ(c.refusal, plan.RefusalCode);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCombination, JavaHomeViews,
    ::testing::Values(
        ViewCase{"only64",
                 true,
                 true,
                 false,
                 false,
                 false,
                 "\"C:\\Java64\\bin\\Javaw.exe\" -Xms512m -Xmx1024m",
                 {"open " + kJavaKeyNarrow + " mask 0x20109", "close " + kJavaKeyNarrow,
                  "open " + kJavaKeyNarrow + " mask 0x20119", "query 64 JavaHome",
                  "query 64 JavaHome", "close " + kJavaKeyNarrow},
                 0},
        ViewCase{
            "onlyDefault",
            false,
            false,
            true,
            true,
            false,
            "\"C:\\Java32\\bin\\Javaw.exe\" -Xms512m -Xmx1024m",
            {"open " + kJavaKeyNarrow + " mask 0x20109", "open " + kJavaKeyNarrow + " mask 0x20009",
             "close " + kJavaKeyNarrow, "open " + kJavaKeyNarrow + " mask 0x20019",
             "query default JavaHome", "query default JavaHome", "close " + kJavaKeyNarrow},
            0},
        ViewCase{"both",
                 true,
                 true,
                 true,
                 true,
                 false,
                 "\"C:\\Java64\\bin\\Javaw.exe\" -Xms512m -Xmx1024m",
                 {"open " + kJavaKeyNarrow + " mask 0x20109", "close " + kJavaKeyNarrow,
                  "open " + kJavaKeyNarrow + " mask 0x20119", "query 64 JavaHome",
                  "query 64 JavaHome", "close " + kJavaKeyNarrow},
                 0},
        ViewCase{"key64WithoutValue",
                 true,
                 false,
                 true,
                 true,
                 false,
                 "\"\\bin\\Javaw.exe\" -Xms512m -Xmx1024m",
                 {"open " + kJavaKeyNarrow + " mask 0x20109", "close " + kJavaKeyNarrow,
                  "open " + kJavaKeyNarrow + " mask 0x20119", "query 64 JavaHome",
                  "close " + kJavaKeyNarrow},
                 2},
        ViewCase{"key64NotOpenable",
                 true,
                 true,
                 true,
                 true,
                 true,
                 "\"\\bin\\Javaw.exe\" -Xms512m -Xmx1024m",
                 {"open " + kJavaKeyNarrow + " mask 0x20109", "close " + kJavaKeyNarrow,
                  "open " + kJavaKeyNarrow + " mask 0x20119"},
                 2},
        ViewCase{"neither",
                 false,
                 false,
                 false,
                 false,
                 false,
                 "\"\\bin\\Javaw.exe\" -Xms512m -Xmx1024m",
                 {"open " + kJavaKeyNarrow + " mask 0x20109",
                  "open " + kJavaKeyNarrow + " mask 0x20009"},
                 2}),
    [](const ::testing::TestParamInfo<ViewCase>& info) { return info.param.name; });

struct KeywordCase {
    const wchar_t* commandLine;
};

void PrintTo(const KeywordCase& c, std::ostream* out)
{
    *out << std::string(c.commandLine, c.commandLine + std::wcslen(c.commandLine));
}

class FixedInstallation : public LaunchPlanTest,
                          public ::testing::WithParamInterface<KeywordCase> {};

TEST_P(FixedInstallation, KeywordInAnyCaseReadsTheProductKeyIn64BitView)
{
    windows.commandLine = GetParam().commandLine;
    windows.attributes[L"E:\\Apps\\Client\\Java"] = FILE_ATTRIBUTE_DIRECTORY;
    windows.AddKey(k64, kProductKey).values[L"Executavel"] = Sz(L"C:\\Java\\bin\\javaw.exe");

    const LaunchPlan plan = Resolve();

    EXPECT_STREQ(
        "\"C:\\Java\\bin\\javaw.exe\" -Xms512m -Xmx1024m -jar "
        "\"D:\\aplic\\zanu2016\\tarvessa\\Producao\\KORVE-Nembral\\korve2020.jar\" --start",
        plan.CommandLine.CStr());
    EXPECT_STREQ("D:\\aplic\\TREMAL\\tarvessa\\Producao\\KORVE-Nembral",
                 plan.WorkingDirectory.CStr());
    EXPECT_TRUE(windows.attributePaths.empty());
    EXPECT_EQ(0, windows.currentDirectoryCalls);
    EXPECT_EQ(0u, plan.RefusalCode);
    const std::string productKey = "Software\\Orvantis\\KORVENembral2020_Prod\\Modulo1";
    EXPECT_EQ(
        (std::vector<std::string>{"open " + productKey + " mask 0x20119", "query 64 Executavel",
                                  "query 64 Executavel", "close " + productKey}),
        windows.registryCalls);
}

INSTANTIATE_TEST_SUITE_P(Spellings, FixedInstallation,
                         ::testing::Values(KeywordCase{L"KorveNembral.exe OLM"},
                                           KeywordCase{L"KorveNembral.exe olm"},
                                           KeywordCase{L"\"C:\\x y\\KorveNembral.exe\" Olm extra"},
                                           KeywordCase{L"KorveNembral.exe \"OLM\" x y"}));

struct MissingExecutableCase {
    const char* name;
    bool key64;
    bool emptyValue;
    bool onlyIn32;
};

class FixedInstallationWithoutExecutable
    : public LaunchPlanTest,
      public ::testing::WithParamInterface<MissingExecutableCase> {};

TEST_P(FixedInstallationWithoutExecutable, GivesAnEmptyQuotedJavaPart)
{
    const MissingExecutableCase& c = GetParam();
    windows.commandLine = L"KorveNembral.exe OLM";
    if (c.key64) {
        Key& key = windows.AddKey(k64, kProductKey);
        if (c.emptyValue) key.values[L"Executavel"] = Sz(L"");
    }
    if (c.onlyIn32) windows.AddKey(kDefault, kProductKey).values[L"Executavel"] = Sz(L"C:\\J.exe");

    const LaunchPlan plan = Resolve();

    EXPECT_STREQ(
        "\"\" -Xms512m -Xmx1024m -jar "
        "\"D:\\aplic\\zanu2016\\tarvessa\\Producao\\KORVE-Nembral\\korve2020.jar\" --start",
        plan.CommandLine.CStr());
    // "" would leave the choice of program to the platform's search.
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), plan.RefusalCode);
    EXPECT_EQ(LaunchMode::FixedInstallation, plan.Mode);
    EXPECT_EQ(RefusalRule::NotConfigured, plan.Rule);
}

INSTANTIATE_TEST_SUITE_P(Cases, FixedInstallationWithoutExecutable,
                         ::testing::Values(MissingExecutableCase{"noKey", false, false, false},
                                           MissingExecutableCase{"noValue", true, false, false},
                                           MissingExecutableCase{"emptyValue", true, true, false},
                                           MissingExecutableCase{"only32Bit", false, false, true}),
                         [](const ::testing::TestParamInfo<MissingExecutableCase>& info) {
                             return info.param.name;
                         });

struct OddValueCase {
    const char* name;
    const wchar_t* commandLine;
    const wchar_t* key;
    const wchar_t* valueName;
    const wchar_t* value;
    const char* commandLineStart;
};

class OddValue : public LaunchPlanTest, public ::testing::WithParamInterface<OddValueCase> {};

// Only an empty value is refused: an odd one is the administrator's choice.
TEST_P(OddValue, IsStillLeftToThePlatform)
{
    const OddValueCase& c = GetParam();
    windows.commandLine = c.commandLine;
    windows.AddKey(k64, c.key).values[c.valueName] = Sz(c.value);

    const LaunchPlan plan = Resolve();

    EXPECT_EQ(0u, plan.RefusalCode);
    EXPECT_EQ(0, std::string(plan.CommandLine.CStr()).rfind(c.commandLineStart, 0))
        << plan.CommandLine.CStr();
}

INSTANTIATE_TEST_SUITE_P(
    Values, OddValue,
    ::testing::Values(OddValueCase{"BareExecutavel", L"KorveNembral.exe OLM", kProductKey,
                                   L"Executavel", L"javaw", "\"javaw\" -Xms512m"},
                      OddValueCase{"BlankJavaHome", L"KorveNembral.exe", kJavaKey, L"JavaHome",
                                   L" ", "\" \\bin\\Javaw.exe\" -Xms512m"}),
    [](const ::testing::TestParamInfo<OddValueCase>& info) { return info.param.name; });

class EmptyPlan : public LaunchPlanTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(EmptyPlan, AnyOtherFirstArgumentConsultsNothing)
{
    windows.commandLine = GetParam();
    windows.attributes[L"E:\\Apps\\Client\\Java"] = FILE_ATTRIBUTE_DIRECTORY;
    windows.AddKey(k64, kJavaKey).values[L"JavaHome"] = Sz(L"C:\\Java64");

    const LaunchPlan plan = Resolve();

    EXPECT_TRUE(plan.CommandLine.IsEmpty());
    EXPECT_TRUE(plan.WorkingDirectory.IsEmpty());
    // Left to the platform, which refuses it with a code of its own.
    EXPECT_EQ(0u, plan.RefusalCode);
    EXPECT_EQ(LaunchMode::EmptyPlan, plan.Mode);
    EXPECT_EQ(RefusalRule::None, plan.Rule);
    EXPECT_TRUE(windows.attributePaths.empty());
    EXPECT_EQ(0, windows.currentDirectoryCalls);
    EXPECT_TRUE(windows.registryCalls.empty());
}

INSTANTIATE_TEST_SUITE_P(Arguments, EmptyPlan,
                         ::testing::Values(L"KorveNembral.exe OLMX", L"KorveNembral.exe -OLM",
                                           L"KorveNembral.exe /OLM", L"KorveNembral.exe \" OLM\"",
                                           L"KorveNembral.exe OL"));

// Names the code page cannot write: U+0166 and U+03A9 are not in code page 1252,
// whose best fit writes them "T" and "O".
struct OutsideCase {
    const char* name;
    const wchar_t* commandLine;
    const wchar_t* currentDirectory;
    const wchar_t* value;  // "JavaHome", or "Executavel" after "OLM"; none when null
    std::map<std::wstring, std::wstring> shortPaths;
    const wchar_t* javaFolder;  // a folder the directory test finds; none when null
    DWORD refusal;
    const char* commandLineStart;
    const char* workingDirectory;
    bool asksShortNames;
    LaunchMode mode;
    RefusalRule rule;
};

class NameOutsideTheCodePage : public LaunchPlanTest,
                               public ::testing::WithParamInterface<OutsideCase> {};

TEST_P(NameOutsideTheCodePage, IsGivenByItsShortNameOrRefused)
{
    if (AnsiCodePage() != 1252) GTEST_SKIP() << "the rows are for code page 1252";
    const OutsideCase& c = GetParam();
    windows.commandLine = c.commandLine;
    windows.currentDirectory = c.currentDirectory;
    windows.shortPaths = c.shortPaths;
    if (c.javaFolder) windows.attributes[c.javaFolder] = FILE_ATTRIBUTE_DIRECTORY;
    if (c.value) {
        const bool fixed = windows.commandLine.find(L" OLM") != std::wstring::npos;
        windows.AddKey(k64, fixed ? kProductKey : kJavaKey)
            .values[fixed ? L"Executavel" : L"JavaHome"] = Sz(c.value);
    }

    const LaunchPlan plan = Resolve();

    EXPECT_EQ(c.refusal, plan.RefusalCode);
    EXPECT_EQ(0, std::string(plan.CommandLine.CStr()).rfind(c.commandLineStart, 0))
        << plan.CommandLine.CStr();
    EXPECT_STREQ(c.workingDirectory, plan.WorkingDirectory.CStr());
    EXPECT_EQ(c.asksShortNames, !windows.shortPathQuestions.empty());
    EXPECT_EQ(c.mode, plan.Mode);
    EXPECT_EQ(c.rule, plan.Rule);
    // A folder without a name leaves no folder to test and no runtime to read.
    if (*c.workingDirectory == 0) {
        EXPECT_TRUE(windows.attributePaths.empty());
        EXPECT_TRUE(windows.registryCalls.empty());
    }
}

const wchar_t kTwin[] = L"E:\\Apps\\\u0166win";

// A value far longer than any path, of many components the code page writes.
const std::wstring kEndlessJavaHome = [] {
    std::wstring value = L"C:\\";
    for (int i = 0; i < 200000; ++i) value += L"a\\";
    return value + L"\u03a9";
}();

INSTANTIATE_TEST_SUITE_P(
    Names, NameOutsideTheCodePage,
    ::testing::Values(
        // The platform names every component short; only the one the code
        // page cannot write is taken, and the folder test uses that form.
        OutsideCase{"CurrentDirectory",
                    L"KorveNembral.exe",
                    kTwin,
                    nullptr,
                    {{kTwin, L"E:\\APPS\\_WIN~1"}},
                    L"E:\\Apps\\_WIN~1\\Java",
                    0,
                    "\"E:\\Apps\\_WIN~1\\Java\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar "
                    "\"E:\\Apps\\_WIN~1\\korve2020.jar\" --start",
                    "E:\\Apps\\_WIN~1",
                    true,
                    LaunchMode::LocalRuntime,
                    RefusalRule::None},
        OutsideCase{"NetworkShareKeepsItsPrefix",
                    L"KorveNembral.exe",
                    L"\\\\srv\\share\\\u0166a\\\u03a9b",
                    nullptr,
                    {{L"\\\\srv\\share\\\u0166a", L"\\\\srv\\share\\_A~1"},
                     {L"\\\\srv\\share\\\u0166a\\\u03a9b", L"\\\\srv\\share\\_A~1\\_B~1"}},
                    L"\\\\srv\\share\\_A~1\\_B~1\\Java",
                    0,
                    "\"\\\\srv\\share\\_A~1\\_B~1\\Java\\bin\\Javaw.exe\"",
                    "\\\\srv\\share\\_A~1\\_B~1",
                    true,
                    LaunchMode::LocalRuntime,
                    RefusalRule::None},
        // Where short names are off, the platform gives the long name back.
        OutsideCase{"CurrentDirectoryWithoutShortName",
                    L"KorveNembral.exe",
                    kTwin,
                    L"C:\\Java64",
                    {{kTwin, kTwin}},
                    L"E:\\Apps\\Twin\\Java",
                    ERROR_NO_UNICODE_TRANSLATION,
                    "",
                    "",
                    true,
                    LaunchMode::LocalRuntime,
                    RefusalRule::WorkingFolderUnnamed},
        OutsideCase{"JavaHomeWithoutShortName",
                    L"KorveNembral.exe",
                    L"E:\\Apps\\Client",
                    L"C:\\\u03a9jre",
                    {},
                    nullptr,
                    ERROR_NO_UNICODE_TRANSLATION,
                    "\"\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar",
                    "E:\\Apps\\Client",
                    true,
                    LaunchMode::InstalledRuntime,
                    RefusalRule::NoShortName},
        OutsideCase{"ExecutavelWithoutShortName",
                    L"KorveNembral.exe OLM",
                    L"E:\\Apps\\Client",
                    L"C:\\\u03a9jre\\bin\\javaw.exe",
                    {},
                    nullptr,
                    ERROR_NO_UNICODE_TRANSLATION,
                    "\"\" -Xms512m",
                    "D:\\aplic\\TREMAL\\tarvessa\\Producao\\KORVE-Nembral",
                    true,
                    LaunchMode::FixedInstallation,
                    RefusalRule::NoShortName},
        // Refused as a whole, without joining its pieces or asking for names.
        OutsideCase{"EndlessJavaHome",
                    L"KorveNembral.exe",
                    L"E:\\Apps\\Client",
                    kEndlessJavaHome.c_str(),
                    {},
                    nullptr,
                    ERROR_NO_UNICODE_TRANSLATION,
                    "\"\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar",
                    "E:\\Apps\\Client",
                    false,
                    LaunchMode::InstalledRuntime,
                    RefusalRule::NoShortName},
        // A quote is refused before any name is looked up.
        OutsideCase{"QuotedJavaHome",
                    L"KorveNembral.exe",
                    L"E:\\Apps\\Client",
                    L"\"C:\\Program Files\\\u03a9jre\"",
                    {{L"\"C:\\Program Files\\\u03a9jre\"", L"C:\\PROGRA~1\\_JRE~1"}},
                    nullptr,
                    ERROR_INVALID_NAME,
                    "\"\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar",
                    "E:\\Apps\\Client",
                    false,
                    LaunchMode::InstalledRuntime,
                    RefusalRule::QuotedValue},
        OutsideCase{"QuotedExecutavel",
                    L"KorveNembral.exe OLM",
                    L"E:\\Apps\\Client",
                    L"\"C:\\Java\\bin\\javaw.exe\"",
                    {},
                    nullptr,
                    ERROR_INVALID_NAME,
                    "\"\" -Xms512m",
                    "D:\\aplic\\TREMAL\\tarvessa\\Producao\\KORVE-Nembral",
                    false,
                    LaunchMode::FixedInstallation,
                    RefusalRule::QuotedValue},
        // A network path is fully qualified: its short names are taken.
        OutsideCase{"NetworkJavaHome",
                    L"KorveNembral.exe",
                    L"E:\\Apps\\Client",
                    L"\\\\srv\\share\\\u03a9jre",
                    {{L"\\\\srv\\share\\\u03a9jre", L"\\\\srv\\share\\_JRE~1"}},
                    nullptr,
                    0,
                    "\"\\\\srv\\share\\_JRE~1\\bin\\Javaw.exe\" -Xms512m",
                    "E:\\Apps\\Client",
                    true,
                    LaunchMode::InstalledRuntime,
                    RefusalRule::None},
        // The start looks a relative value up elsewhere than the plan could:
        // refused before any name is looked up.
        OutsideCase{"RelativeExecutavel",
                    L"KorveNembral.exe OLM",
                    L"E:\\Apps\\Client",
                    L"olm \u03a9\u03bc\u03ad\u03b3\u03b1\\bin\\javaw.exe",
                    {{L"olm \u03a9\u03bc\u03ad\u03b3\u03b1", L"OLM~1"}},
                    nullptr,
                    ERROR_NO_UNICODE_TRANSLATION,
                    "\"\" -Xms512m",
                    "D:\\aplic\\TREMAL\\tarvessa\\Producao\\KORVE-Nembral",
                    false,
                    LaunchMode::FixedInstallation,
                    RefusalRule::NotFullyQualified},
        OutsideCase{"DriveRelativeJavaHome",
                    L"KorveNembral.exe",
                    L"E:\\Apps\\Client",
                    L"C:\u03a9jre",
                    {{L"C:\u03a9jre", L"C:_JRE~1"}},
                    nullptr,
                    ERROR_NO_UNICODE_TRANSLATION,
                    "\"\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar",
                    "E:\\Apps\\Client",
                    false,
                    LaunchMode::InstalledRuntime,
                    RefusalRule::NotFullyQualified},
        // No file is named by a wildcard or a pipe, whatever a look-up would match.
        OutsideCase{"WildcardJavaHome",
                    L"KorveNembral.exe",
                    L"E:\\Apps\\Client",
                    L"C:\\\u03a9jre*",
                    {{L"C:\\\u03a9jre*", L"C:\\_JRE~1"}},
                    nullptr,
                    ERROR_INVALID_NAME,
                    "\"\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar",
                    "E:\\Apps\\Client",
                    false,
                    LaunchMode::InstalledRuntime,
                    RefusalRule::InvalidCharacter},
        OutsideCase{"PipeInExecutavel",
                    L"KorveNembral.exe OLM",
                    L"E:\\Apps\\Client",
                    L"C:\\\u03a9jre|x\\bin\\javaw.exe",
                    {{L"C:\\\u03a9jre|x", L"C:\\_JRE~1"}},
                    nullptr,
                    ERROR_INVALID_NAME,
                    "\"\" -Xms512m",
                    "D:\\aplic\\TREMAL\\tarvessa\\Producao\\KORVE-Nembral",
                    false,
                    LaunchMode::FixedInstallation,
                    RefusalRule::InvalidCharacter}),
    [](const ::testing::TestParamInfo<OutsideCase>& info) { return info.param.name; });

struct WrongTypeCase {
    const char* name;
    const wchar_t* commandLine;
    bool java;
    DWORD type;
};

class WrongValueType : public LaunchPlanTest,
                       public ::testing::WithParamInterface<WrongTypeCase> {};

TEST_P(WrongValueType, RaisesTheRegistryErrorAndClosesEveryKey)
{
    const WrongTypeCase& c = GetParam();
    windows.commandLine = c.commandLine;
    Key& key = windows.AddKey(k64, c.java ? kJavaKey : kProductKey);
    key.values[c.java ? L"JavaHome" : L"Executavel"] = Value{c.type, std::string(4, '\x01')};

    LaunchPlan plan;
    EXPECT_THROW(ResolveLaunchPlanInto(plan), ERegistryException);
    EXPECT_TRUE(windows.openKeys.empty());
    // The mode that read the value, for the setup check to report.
    EXPECT_EQ(c.java ? LaunchMode::InstalledRuntime : LaunchMode::FixedInstallation, plan.Mode);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WrongValueType,
    ::testing::Values(WrongTypeCase{"javaHomeDword", L"KorveNembral.exe", true, REG_DWORD},
                      WrongTypeCase{"executavelBinary", L"KorveNembral.exe OLM", false,
                                    REG_BINARY}),
    [](const ::testing::TestParamInfo<WrongTypeCase>& info) { return info.param.name; });

}  // namespace
