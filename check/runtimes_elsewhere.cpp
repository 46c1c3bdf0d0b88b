#include "check/runtimes_elsewhere.h"

#include <cwchar>
#include <utility>

#include "check/program_finding.h"
#include "launcher/launch_plan.h"
#include "platform/kernel32_function.h"
#include "platform/key_path.h"
#include "platform/registry.h"
#include "platform/windows_api.h"
#include "text/conversion.h"
#include "text/format.h"

namespace {
using View = RuntimeElsewhere::View;

// A key name has at most 255 characters.
const DWORD kLongestKeyName = 256;
// More subkeys than this under one key are no installer's doing; the bound
// keeps a damaged registry from holding the check up.
const DWORD kMostSubkeys = 1000;

// How an installer lays out its registration below its key.
enum class Layout {
    VersionKey,  // <key>\<version>, the value naming the folder
    MsiKey,      // <key>\<version>\<virtual machine>\MSI, as the OpenJDK MSI writes it
};

struct Registration {
    const wchar_t* key;
    const wchar_t* value;
    bool jdk;
    Layout layout;
};

const wchar_t kRuntimeEnvironmentKey[] = L"SOFTWARE\\JavaSoft\\Java Runtime Environment";

const Registration kRegistrations[] = {
    {kRuntimeEnvironmentKey, L"JavaHome", false, Layout::VersionKey},
    {L"SOFTWARE\\JavaSoft\\Java Development Kit", L"JavaHome", true, Layout::VersionKey},
    // Java 9 and later.
    {L"SOFTWARE\\JavaSoft\\JRE", L"JavaHome", false, Layout::VersionKey},
    {L"SOFTWARE\\JavaSoft\\JDK", L"JavaHome", true, Layout::VersionKey},
    {L"SOFTWARE\\Eclipse Adoptium\\JRE", L"Path", false, Layout::MsiKey},
    {L"SOFTWARE\\Eclipse Adoptium\\JDK", L"Path", true, Layout::MsiKey},
    // The same installer under its earlier name.
    {L"SOFTWARE\\AdoptOpenJDK\\JRE", L"Path", false, Layout::MsiKey},
    {L"SOFTWARE\\AdoptOpenJDK\\JDK", L"Path", true, Layout::MsiKey},
    // "zulu-8"; the key does not tell a runtime from a development kit.
    {L"SOFTWARE\\Azul Systems\\Zulu", L"InstallationPath", true, Layout::VersionKey},
};

REGSAM AccessFor(View view)
{
    return KEY_READ | (view == View::ThirtyTwoBit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY);
}

// A 32-bit process on 64-bit Windows sees two views; elsewhere there is one.
bool HasTwoViews()
{
    using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
    FARPROC found = Kernel32Function("IsWow64Process");
    if (!found) return false;
    auto isWow64Process =
        reinterpret_cast<IsWow64ProcessFunction>(reinterpret_cast<void (*)()>(found));
    // The pseudo handle of the current process, as GetCurrentProcess returns it.
    HANDLE self = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
    BOOL wow64 = FALSE;
    return isWow64Process(self, &wow64) && wow64;
}

// Returns the names of the subkeys of `key` in the view; none when it does not open.
std::vector<UnicodeString> SubkeyNames(const UnicodeString& key, View view)
{
    std::vector<UnicodeString> names;
    TRegistry registry(AccessFor(view));
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKey(key, false)) return names;
    for (DWORD index = 0; index < kMostSubkeys; ++index) {
        wchar_t name[kLongestKeyName + 1] = {};
        DWORD length = kLongestKeyName;
        const LSTATUS status = Windows().RegEnumKeyExW(registry.CurrentKey(), index, name, &length,
                                                       nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) continue;  // longer than any key name may be
        if (status != ERROR_SUCCESS) break;
        names.emplace_back(name, static_cast<int>(length));
    }
    return names;
}

// Reads the value's type and text; false when the key or the value is not there.
bool ReadValue(const UnicodeString& key, const wchar_t* value, View view, DWORD& type,
               UnicodeString& text)
{
    TRegistry registry(AccessFor(view));
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKey(key, false)) return false;
    const UnicodeString name(value);
    DWORD size = 0;
    if (Windows().RegQueryValueExW(registry.CurrentKey(), name.CStr(), nullptr, &type, nullptr,
                                   &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return true;
    try {
        text = registry.ReadString(name);
    } catch (const ERegistryException&) {
        // Changed between the two queries: its type still tells.
    }
    return true;
}

// Reads a decimal number at `at`, moving past it; -1 when there is none.
int Number(const wchar_t*& at)
{
    if (*at < L'0' || *at > L'9') return -1;
    int value = 0;
    for (; *at >= L'0' && *at <= L'9'; ++at)
        if (value < 100000) value = value * 10 + (*at - L'0');
    return value;
}

// "1.8.0_401", "1.8_401" and "1.8.0.212" name Java 8, update 401 or 212;
// "8.0.412.8" Java 8, update 412; "zulu-8" Java 8; "11.0.2" Java 11.
void ReadVersion(RuntimeElsewhere& runtime)
{
    const wchar_t* at = runtime.version.CStr();
    while (*at && (*at < L'0' || *at > L'9')) ++at;
    int numbers[4] = {-1, -1, -1, -1};
    int count = 0;
    for (; count < 4; ++count) {
        numbers[count] = Number(at);
        if (numbers[count] < 0 || *at != L'.') break;
        ++at;
    }
    if (numbers[0] < 0) return;
    const bool oldScheme = numbers[0] == 1 && numbers[1] >= 0;
    runtime.feature = oldScheme ? numbers[1] : numbers[0];
    const wchar_t* underscore = std::wcschr(runtime.version.CStr(), L'_');
    if (underscore) {
        ++underscore;
        runtime.update = Number(underscore);
    } else {
        runtime.update = numbers[oldScheme ? 3 : 2];
    }
    if (runtime.update < 0) runtime.update = 0;
}

// The folder that holds bin\Javaw.exe, as the value names it but without the
// separators an installer leaves at its end.
UnicodeString Folder(const UnicodeString& text)
{
    int length = text.Length();
    while (length > 0 && (text[length - 1] == L'\\' || text[length - 1] == L'/')) --length;
    return UnicodeString(text.CStr(), length);
}

// Why the Java 8 runtime's folder is not usable, or null when it is; judged
// with the launcher's own rule for the value it would be given in "JavaHome".
const char* WhyFolderNotUsable(RuntimeElsewhere& runtime)
{
    // The folder as the launcher would give it to the runtime, in the ANSI code page.
    AnsiString folder;
    const RefusalRule rule = RuntimePath(runtime.folder, folder);
    switch (RefusalCodeOf(rule)) {
        case ERROR_SUCCESS:
            break;
        case ERROR_INVALID_NAME:
            return "the launcher refuses the folder's name (Erro 123: a double quote, a "
                   "wildcard, | or a control character)";
        case ERROR_NO_UNICODE_TRANSLATION:
            return rule == RefusalRule::NotFullyQualified
                       ? "the launcher refuses the folder's name (Erro 1113: characters outside "
                         "the ANSI code page in a path that is not fully qualified)"
                       : "the launcher refuses the folder's name (Erro 1113: characters outside "
                         "the ANSI code page, and no short name)";
        default:
            return "the launcher refuses the folder's name";
    }
    AnsiString commandLine;
    FormatText(commandLine, "\"%s\\bin\\Javaw.exe\"", folder.CStr());
    runtime.program = ExamineProgram(ToUnicodeString(commandLine), UnicodeString());
    switch (runtime.program->state) {
        case ProgramFinding::State::Missing:
            return "bin\\Javaw.exe is not there, or cannot be opened for running";
        case ProgramFinding::State::NotAProgram:
        case ProgramFinding::State::Script:
            return "bin\\Javaw.exe is not a Windows program";
        case ProgramFinding::State::OtherMachine:
            return "bin\\Javaw.exe is not for this system's processor";
        case ProgramFinding::State::Runs:
            break;
    }
    return nullptr;
}

void Judge(RuntimeElsewhere& runtime)
{
    AnsiString why;
    if (runtime.type != REG_SZ && runtime.type != REG_EXPAND_SZ)
        why = AnsiString("the value is not text");
    else if (runtime.folder.IsEmpty())
        why = AnsiString("the value names no folder");
    else if (runtime.feature > 0 && runtime.feature != 8)
        FormatText(why, "Java %d; the application needs Java 8", runtime.feature);
    else if (runtime.feature != 8)
        why = AnsiString("its key names no Java version; the application needs Java 8");
    else if (const char* folder = WhyFolderNotUsable(runtime))
        why = AnsiString(folder);
    runtime.usable = why.IsEmpty();
    runtime.whyNotUsable = ToUnicodeString(why);
}

void AddIfRegistered(std::vector<RuntimeElsewhere>& found, const Registration& registration,
                     const UnicodeString& key, const UnicodeString& version, View view)
{
    RuntimeElsewhere runtime;
    UnicodeString text;
    if (!ReadValue(key, registration.value, view, runtime.type, text)) return;
    runtime.registryKey = key;
    runtime.valueName = registration.value;
    runtime.view = view;
    runtime.jdk = registration.jdk;
    runtime.version = version;
    ReadVersion(runtime);
    runtime.folder = Folder(text);
    Judge(runtime);
    found.push_back(std::move(runtime));
}

bool IsLaunchersOwn(const Registration& registration, const UnicodeString& version, View view,
                    bool thirtyTwoBitKeyHidden)
{
    if (registration.key != kRuntimeEnvironmentKey || std::wcscmp(version.CStr(), L"1.8") != 0)
        return false;
    return view != View::ThirtyTwoBit || !thirtyTwoBitKeyHidden;
}
}  // namespace

std::vector<RuntimeElsewhere> FindRuntimesElsewhere(bool thirtyTwoBitKeyHidden)
{
    std::vector<RuntimeElsewhere> found;
    const bool twoViews = HasTwoViews();
    const View views[] = {twoViews ? View::SixtyFourBit : View::Only, View::ThirtyTwoBit};
    for (int v = 0; v < (twoViews ? 2 : 1); ++v) {
        const View view = views[v];
        for (const Registration& registration : kRegistrations) {
            const UnicodeString key(registration.key);
            for (const UnicodeString& version : SubkeyNames(key, view)) {
                if (IsLaunchersOwn(registration, version, view, thirtyTwoBitKeyHidden)) continue;
                const UnicodeString versionKey = JoinKeyPath(key, version);
                if (registration.layout == Layout::VersionKey) {
                    AddIfRegistered(found, registration, versionKey, version, view);
                    continue;
                }
                for (const UnicodeString& machine : SubkeyNames(versionKey, view))
                    AddIfRegistered(
                        found, registration,
                        JoinKeyPath(JoinKeyPath(versionKey, machine), UnicodeString(L"MSI")),
                        version, view);
            }
        }
    }
    return found;
}

const char* RegistryViewName(RuntimeElsewhere::View view)
{
    switch (view) {
        case View::SixtyFourBit:
            return "64-bit";
        case View::ThirtyTwoBit:
            return "32-bit";
        case View::Only:
            break;
    }
    return "only";
}
