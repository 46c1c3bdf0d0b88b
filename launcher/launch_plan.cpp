#include "launcher/launch_plan.h"

#include <windows.h>

#include <memory>

#include "launcher/code_page_path.h"
#include "launcher/registry_names.h"
#include "platform/arguments.h"
#include "platform/registry.h"
#include "platform/thread_error_mode.h"
#include "text/conversion.h"
#include "text/format.h"

namespace {
const char kKeyword[] = "OLM";
const char kLocalFolderSuffix[] = "\\Java";
const char kJavaPartTemplate[] = "\"%s\\bin\\Javaw.exe\" -Xms512m -Xmx1024m";
const char kCommandTemplate[] = "%s -jar \"%s\\korve2020.jar\" --start";
const char kFixedJavaPartTemplate[] = "\"%s\"";
const char kFixedCommandTemplate[] =
    "%s -Xms512m -Xmx1024m -jar "
    "\"D:\\aplic\\zanu2016\\tarvessa\\Producao\\KORVE-Nembral\\korve2020.jar\" --start";
const char kFixedWorkingDirectory[] = "D:\\aplic\\TREMAL\\tarvessa\\Producao\\KORVE-Nembral";
using namespace LauncherRegistry;

// Narrow literals reach the platform and the comparison as wide text.
UnicodeString Widened(const char* literal) { return ToUnicodeString(AnsiString(literal)); }

std::unique_ptr<TRegistry> NewMachineRegistry(REGSAM access)
{
    std::unique_ptr<TRegistry> registry(new TRegistry(access));
    registry->SetRootKey(HKEY_LOCAL_MACHINE);
    return registry;
}

// Closes and releases both accessors in their order however the resolution
// ends, the registry error included.
class PlanAccessors {
public:
    PlanAccessors()
        : view64(NewMachineRegistry(kRead64)), viewDefault(NewMachineRegistry(kReadDefault))
    {
    }
    PlanAccessors(const PlanAccessors&) = delete;
    PlanAccessors& operator=(const PlanAccessors&) = delete;
    ~PlanAccessors()
    {
        view64->CloseKey();
        viewDefault->CloseKey();
        view64.reset();
        viewDefault.reset();
    }

    std::unique_ptr<TRegistry> view64;
    std::unique_ptr<TRegistry> viewDefault;
};

// The Java runtime's home folder: the 64-bit view's key when it is there, else
// the default view's; an absent key or value gives empty text.
UnicodeString ReadJavaHome(PlanAccessors& accessors)
{
    const UnicodeString key = Widened(kJavaRuntimeKey);
    TRegistry* registry = nullptr;
    if (accessors.view64->KeyExists(key))
        registry = accessors.view64.get();
    else if (accessors.viewDefault->KeyExists(key))
        registry = accessors.viewDefault.get();
    if (!registry) return UnicodeString();
    // A key that exists but does not open leaves no key current; the read
    // below then gives empty text.
    registry->OpenKey(key, false);
    return registry->ReadString(Widened(kJavaRuntimeValue));
}

// Whether the directory text names a folder: the local runtime. An empty drive
// or removed media answers at once instead of asking the user first.
bool IsLocalRuntime(const AnsiString& directory)
{
    const UnicodeString path = ToUnicodeString(directory);
    const ThreadErrorModeScope failCriticalErrors;
    return IsExistingDirectory(path, true);
}

// Whether no file name can hold `unit`: a quote would end the quoted program
// name early; a wildcard or a pipe names no one file, and the short-name
// lookup would take the first file it matches for it.
RefusalRule CharacterRule(wchar_t unit)
{
    if (unit == L'"') return RefusalRule::QuotedValue;
    if ((unit > 0 && unit < 0x20) || unit == L'*' || unit == L'?' || unit == L'<' || unit == L'>' ||
        unit == L'|')
        return RefusalRule::InvalidCharacter;
    return RefusalRule::None;
}

// A drive letter with its root ("X:\") or a network path ("\\server\share"):
// a path that names the same file from every current directory.
bool IsFullyQualified(const UnicodeString& path)
{
    if (path.Length() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) return true;
    const wchar_t letter = static_cast<wchar_t>(path.Length() >= 3 ? path[0] | 0x20 : 0);
    return letter >= L'a' && letter <= L'z' && path[1] == L':' && IsPathSeparator(path[2]);
}

}  // namespace

// An empty value would name "\bin\Javaw.exe" on the current drive, where any
// user of a shared machine may place a program, or "" and leave the choice of
// program to the platform's search. The characters are judged before any name
// is looked up. A relative value is found by the start from the launcher's
// folder and the working directory it is given, not from here: short names
// taken here may name another file there, so such a value is refused.
RefusalRule RuntimePath(const UnicodeString& value, AnsiString& narrow)
{
    for (int i = 0; i < value.Length(); ++i) {
        const RefusalRule rule = CharacterRule(value[i]);
        if (rule != RefusalRule::None) return rule;
    }
    if (!WritesInCodePage(value) && !IsFullyQualified(value)) return RefusalRule::NotFullyQualified;
    if (ToCodePagePath(value, narrow) != ERROR_SUCCESS) return RefusalRule::NoShortName;
    return narrow.IsEmpty() ? RefusalRule::NotConfigured : RefusalRule::None;
}

DWORD RefusalCodeOf(RefusalRule rule)
{
    switch (rule) {
        case RefusalRule::None:
            return ERROR_SUCCESS;
        case RefusalRule::NotConfigured:
            return ERROR_FILE_NOT_FOUND;
        case RefusalRule::QuotedValue:
        case RefusalRule::InvalidCharacter:
            return ERROR_INVALID_NAME;
        case RefusalRule::WorkingFolderUnnamed:
        case RefusalRule::NotFullyQualified:
        case RefusalRule::NoShortName:
            break;
    }
    return ERROR_NO_UNICODE_TRANSLATION;
}

namespace {
// The current directory as the child is to be given it; a failure is kept in
// `refusal` unless an earlier rule is there.
AnsiString CurrentDirectoryText(RefusalRule& refusal)
{
    AnsiString text;
    const DWORD code = ToCodePagePath(CurrentDirectory(), text);
    if (refusal == RefusalRule::None && code != ERROR_SUCCESS)
        refusal = RefusalRule::WorkingFolderUnnamed;
    return text;
}
}  // namespace

UnicodeString ReadInstalledExecutable()
{
    std::unique_ptr<TRegistry> registry = NewMachineRegistry(kRead64);
    if (!registry->OpenKey(Widened(kProductKey), false)) return UnicodeString();
    return registry->ReadString(Widened(kProductValue));
}

void ResolveLaunchPlanInto(LaunchPlan& plan)
{
    PlanAccessors accessors;
    AnsiString directory;
    AnsiString javaPart;
    AnsiString commandLine;
    RefusalRule refusal = RefusalRule::None;

    if (ArgumentCount() != 0) {
        if (TextEquals(UpperCaseText(ArgumentAt(1)), Widened(kKeyword))) {
            plan.Mode = LaunchMode::FixedInstallation;
            AnsiString executable;
            refusal = RuntimePath(ReadInstalledExecutable(), executable);
            FormatText(javaPart, kFixedJavaPartTemplate, executable.CStr());
            FormatText(commandLine, kFixedCommandTemplate, javaPart.CStr());
            directory = AnsiString(kFixedWorkingDirectory);
        }
        // Any other first argument leaves the plan empty: no other mode is tried.
    } else {
        plan.Mode = LaunchMode::LocalRuntime;
        // A folder without a name in the code page leaves nothing to test or start.
        directory = CurrentDirectoryText(refusal);
        if (refusal == RefusalRule::None) {
            AppendFormattedText(directory, kLocalFolderSuffix);
            if (IsLocalRuntime(directory)) {
                FormatText(javaPart, kJavaPartTemplate, directory.CStr());
            } else {
                plan.Mode = LaunchMode::InstalledRuntime;
                AnsiString javaHome;
                refusal = RuntimePath(ReadJavaHome(accessors), javaHome);
                FormatText(javaPart, kJavaPartTemplate, javaHome.CStr());
            }
            directory = CurrentDirectoryText(refusal);
            FormatText(commandLine, kCommandTemplate, javaPart.CStr(), directory.CStr());
        }
    }

    plan.CommandLine = std::move(commandLine);
    plan.WorkingDirectory = std::move(directory);
    plan.RefusalCode = RefusalCodeOf(refusal);
    plan.Rule = refusal;
}

LaunchPlan ResolveLaunchPlan()
{
    LaunchPlan plan;
    ResolveLaunchPlanInto(plan);
    return plan;
}
