#include "check/registry_fix.h"

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "check/runtimes_elsewhere.h"
#include "launcher/registry_names.h"
#include "platform/thread_error_mode.h"
#include "platform/windows_api.h"
#include "platform/windows_handles.h"
#include "text/conversion.h"
#include "text/format.h"

const char kRegistryFixRule[] =
    "a 64-bit runtime before a 32-bit one (the application asks for a 1024 MiB heap, which a "
    "32-bit Java often cannot reserve), a runtime (JRE) before a development kit (JDK), the "
    "newest update, then the first listed";

namespace {
bool IsSixtyFourBit(const RuntimeElsewhere& runtime)
{
    const unsigned machine = runtime.program ? runtime.program->machine : 0;
    return machine == IMAGE_FILE_MACHINE_AMD64 || machine == IMAGE_FILE_MACHINE_ARM64;
}

// Whether `a` comes before `b` by the rule; a tie keeps the order listed.
bool Before(const RuntimeElsewhere& a, const RuntimeElsewhere& b)
{
    if (IsSixtyFourBit(a) != IsSixtyFourBit(b)) return IsSixtyFourBit(a);
    if (a.jdk != b.jdk) return !a.jdk;
    return a.update > b.update;
}

// Appends text for a comment line: a control character would end it early.
void AppendCommentText(std::wstring& out, const wchar_t* text)
{
    for (; *text; ++text) out += *text < 0x20 ? L'?' : *text;
}

UnicodeString Widened(const char* text) { return ToUnicodeString(AnsiString(text)); }

void AppendNarrow(std::wstring& out, const char* text)
{
    const UnicodeString wide = ToUnicodeString(AnsiString(text));
    out.append(wide.CStr(), static_cast<std::size_t>(wide.Length()));
}

// The access list of the fix file: full access for SYSTEM, Administrators
// and the user who runs the check, nothing for anyone else, and nothing
// inherited from the folder it is written in. Built from the documented
// layouts (SECURITY_DESCRIPTOR, ACL, ACCESS_ALLOWED_ACE, SID): the user's SID
// is the only part read from the system.
class FixFileSecurity {
public:
    FixFileSecurity()
    {
        // S-1-5-18 (SYSTEM) and S-1-5-32-544 (Administrators): revision, count
        // of sub-authorities, authority (big-endian), sub-authorities (little-endian).
        static const unsigned char kSystem[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
        static const unsigned char kAdministrators[] = {1,  2, 0, 0, 0,  0, 0, 5,
                                                        32, 0, 0, 0, 32, 2, 0, 0};
        const std::vector<unsigned char> user = UserSid();
        if (user.empty()) return;
        AddAce(kSystem, sizeof kSystem);
        AddAce(kAdministrators, sizeof kAdministrators);
        AddAce(user.data(), user.size());
        ACL header = {};
        header.AclRevision = ACL_REVISION;
        header.AclSize = static_cast<WORD>(acl_.size());
        header.AceCount = aces_;
        std::memcpy(acl_.data(), &header, sizeof header);
        descriptor_.Revision = SECURITY_DESCRIPTOR_REVISION;
        descriptor_.Control = SE_DACL_PRESENT | SE_DACL_PROTECTED;
        descriptor_.Dacl = reinterpret_cast<PACL>(acl_.data());
        attributes_.nLength = sizeof attributes_;
        attributes_.lpSecurityDescriptor = &descriptor_;
        attributes_.bInheritHandle = FALSE;
        ready_ = true;
    }
    FixFileSecurity(const FixFileSecurity&) = delete;
    FixFileSecurity& operator=(const FixFileSecurity&) = delete;

    // Returns the attributes to create the file with; null when the user's SID is unknown.
    LPSECURITY_ATTRIBUTES Attributes() { return ready_ ? &attributes_ : nullptr; }

private:
    // The SID of the token's user, as its bytes; empty when it cannot be read.
    static std::vector<unsigned char> UserSid()
    {
        WindowsApi& api = Windows();
        UniqueObjectHandle token;
        // The pseudo handle of the current process, as GetCurrentProcess returns it.
        HANDLE self = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
        if (!api.OpenProcessToken(self, TOKEN_QUERY, token.Receive())) return {};
        std::vector<unsigned char> sid;
        DWORD size = 0;
        api.GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
        std::vector<DWORD> user(size / sizeof(DWORD) + 1);
        if (size >= sizeof(TOKEN_USER) &&
            api.GetTokenInformation(token.Get(), TokenUser, user.data(),
                                    static_cast<DWORD>(user.size() * sizeof(DWORD)), &size)) {
            const auto* bytes = static_cast<const unsigned char*>(
                reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
            // Revision, count of sub-authorities, authority, the sub-authorities.
            if (bytes[0] == SID_REVISION && bytes[1] <= SID_MAX_SUB_AUTHORITIES)
                sid.assign(bytes, bytes + 8 + 4 * bytes[1]);
        }
        return sid;
    }

    void AddAce(const unsigned char* sid, std::size_t sidSize)
    {
        if (acl_.empty()) acl_.resize(sizeof(ACL));
        ACCESS_ALLOWED_ACE ace = {};
        const std::size_t offset = offsetof(ACCESS_ALLOWED_ACE, SidStart);
        ace.Header.AceType = ACCESS_ALLOWED_ACE_TYPE;
        ace.Header.AceSize = static_cast<WORD>(offset + sidSize);
        ace.Mask = FILE_ALL_ACCESS;
        const std::size_t at = acl_.size();
        acl_.resize(at + offset + sidSize);
        std::memcpy(acl_.data() + at, &ace, offset);
        std::memcpy(acl_.data() + at + offset, sid, sidSize);
        ++aces_;
    }

    std::vector<unsigned char> acl_;
    WORD aces_ = 0;
    SECURITY_DESCRIPTOR descriptor_ = {};
    SECURITY_ATTRIBUTES attributes_ = {};
    bool ready_ = false;
};

// Writes `units` to a new file `path`, created with `security`; never opens a
// name that exists, and never follows a link. Returns ERROR_SUCCESS or the
// platform's error.
DWORD WriteNewFile(const wchar_t* path, const std::wstring& units, LPSECURITY_ATTRIBUTES security)
{
    WindowsApi& api = Windows();
    // A removable drive without a medium fails instead of asking the user.
    const ThreadErrorModeScope failCriticalErrors;
    UniqueFileHandle file(api.CreateFileW(path, GENERIC_WRITE, 0, security, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                          nullptr));
    if (file.IsEmpty()) return api.GetLastError();
    const char* bytes = reinterpret_cast<const char*>(units.data());
    std::size_t left = units.size() * sizeof(wchar_t);
    DWORD error = ERROR_SUCCESS;
    while (left > 0 && error == ERROR_SUCCESS) {
        DWORD written = 0;
        if (!api.WriteFile(file.Get(), bytes, static_cast<DWORD>(left), &written, nullptr))
            error = api.GetLastError();
        else if (written == 0)
            error = ERROR_WRITE_FAULT;
        bytes += written;
        left -= written;
    }
    // The data may reach the disk only as the file is closed: its close is examined too.
    if (!api.CloseHandle(file.Release()) && error == ERROR_SUCCESS) error = api.GetLastError();
    return error;
}

// Why the launcher's refusal is not the one the fix mends, or null when it is.
const char* NotMendable(const Findings& findings)
{
    if (findings.mode != CheckMode::InstalledRuntime || !findings.runtimesElsewhere)
        return findings.mode == CheckMode::LocalRuntime
                   ? "the launcher starts the Java folder's runtime here and reads no \"JavaHome\""
                   : "with this argument the launcher reads no \"JavaHome\"";
    switch (findings.verdict) {
        case Verdict::Start:
            return "the launcher already starts a runtime here";
        case Verdict::Abnormal:
            return "\"JavaHome\" is there but not text: correct or delete it first";
        case Verdict::Refuse:
            break;
    }
    // Any other refusal has a "JavaHome" the launcher reads: a fix would replace it unseen.
    if (findings.code != static_cast<DWORD>(ERROR_FILE_NOT_FOUND))
        return "\"JavaHome\" is set; the launcher refuses for another reason (see the verdict)";
    return nullptr;
}
}  // namespace

int ChooseRuntime(const std::vector<RuntimeElsewhere>& runtimes)
{
    int chosen = -1;
    for (int i = 0; i < static_cast<int>(runtimes.size()); ++i) {
        if (!runtimes[i].usable) continue;
        if (chosen < 0 || Before(runtimes[i], runtimes[chosen])) chosen = i;
    }
    return chosen;
}

UnicodeString RegistryFixText(const UnicodeString& folder, const RuntimeElsewhere& source)
{
    // A line break or other control character cannot stand in a quoted string.
    for (int i = 0; i < folder.Length(); ++i)
        if (folder[i] < 0x20) return UnicodeString();
    std::wstring text =
        L"Windows Registry Editor Version 5.00\r\n\r\n; The Java runtime registered at "
        L"HKEY_LOCAL_MACHINE\\";
    AppendCommentText(text, source.registryKey.CStr());
    text += L"\r\n; (value \"";
    AppendCommentText(text, source.valueName);
    text += L"\", ";
    AppendNarrow(text, RegistryViewName(source.view));
    text +=
        L" registry view), for KorveNembral.exe. It reads \"JavaHome\" below in the\r\n"
        L"; 64-bit view first (on 32-bit Windows, the only one). Import as an administrator\r\n"
        L"; with the 64-bit regedit: double-click, or regedit /s <this file>.\r\n\r\n"
        L"[HKEY_LOCAL_MACHINE\\";
    AppendNarrow(text, LauncherRegistry::kJavaRuntimeKey);
    text += L"]\r\n\"";
    AppendNarrow(text, LauncherRegistry::kJavaRuntimeValue);
    text += L"\"=\"";
    for (int i = 0; i < folder.Length(); ++i) {
        if (folder[i] == L'\\' || folder[i] == L'"') text += L'\\';
        text += folder[i];
    }
    text += L"\"\r\n";
    return UnicodeString(text.c_str(), static_cast<int>(text.size()));
}

RegistryFix WriteRegistryFix(const Findings& findings, const UnicodeString& file)
{
    RegistryFix fix;
    fix.file = file;
    if (const char* why = NotMendable(findings)) {
        fix.reason = Widened(why);
        return fix;
    }
    const std::vector<RuntimeElsewhere>& runtimes = *findings.runtimesElsewhere;
    fix.chosen = ChooseRuntime(runtimes);
    if (fix.chosen < 0) {
        fix.reason = Widened(runtimes.empty() ? "no Java runtime is registered elsewhere"
                                              : "none of the runtimes registered elsewhere is a "
                                                "Java 8 that runs here");
        return fix;
    }
    const RuntimeElsewhere& chosen = runtimes[fix.chosen];
    const UnicodeString text = RegistryFixText(chosen.folder, chosen);
    if (text.IsEmpty()) {
        fix.reason = Widened("the runtime's folder cannot be written in a registry file as it is");
        return fix;
    }
    // regedit writes its "Version 5.00" files in UTF-16LE with a byte order
    // mark, which carries any folder name unchanged.
    std::wstring units(1, L'\xFEFF');
    units.append(text.CStr(), static_cast<std::size_t>(text.Length()));
    FixFileSecurity security;
    if (!security.Attributes()) {
        fix.notWritten = true;
        fix.reason = Widened(
            "the user running the check is unknown, so the file's access list "
            "cannot be made: nothing was written");
        return fix;
    }
    const DWORD error = WriteNewFile(file.CStr(), units, security.Attributes());
    fix.written = error == ERROR_SUCCESS;
    if (fix.written) return fix;
    fix.notWritten = true;
    AnsiString reason;
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        reason = AnsiString(
            "the name exists (a file, a link or a folder); the check writes only a new file, "
            "never through an existing name: name a file that is not there, in a folder only "
            "administrators can write to");
    else
        FormatText(reason, "the file could not be created or written (error %d)",
                   static_cast<int>(error));
    fix.reason = ToUnicodeString(reason);
    return fix;
}
