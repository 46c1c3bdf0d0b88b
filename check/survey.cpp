#include "check/survey.h"

#include <cwchar>

#include "check/dry_run.h"
#include "check/folder_finding.h"
#include "check/program_finding.h"
#include "check/registry_finding.h"
#include "check/runtimes_elsewhere.h"
#include "check/start_warnings.h"
#include "launcher/code_page_path.h"
#include "launcher/registry_names.h"
#include "platform/arguments.h"
#include "platform/thread_error_mode.h"
#include "text/conversion.h"
#include "text/format.h"

namespace {
using namespace LauncherRegistry;

void Refuse(Findings& findings, const char* reason)
{
    findings.verdict = Verdict::Refuse;
    findings.reason = ToUnicodeString(AnsiString(reason));
}

// Why the launcher refuses a plan with its own code, by the rule that refused it.
void ExplainRefusal(Findings& findings, const LaunchPlan& plan, const AnsiString& box)
{
    const char* value =
        plan.Mode == LaunchMode::FixedInstallation ? "\"Executavel\"" : "\"JavaHome\"";
    const char* why = "";
    bool named = true;  // whether `why` names the value with its one %s
    switch (plan.Rule) {
        case RefusalRule::None:
            named = false;
            break;
        case RefusalRule::NotConfigured:
            why = plan.Mode == LaunchMode::FixedInstallation
                      ? "%s is absent or empty in the 64-bit view"
                      : "no Java folder here, and no %s that the launcher reads";
            break;
        case RefusalRule::QuotedValue:
            why =
                "%s holds a double quote, which no file name holds (quotes written around the "
                "path?)";
            break;
        case RefusalRule::InvalidCharacter:
            why = "%s holds a character no file name holds (* ? < > | or a control character)";
            break;
        case RefusalRule::WorkingFolderUnnamed:
            why =
                "the working folder has a name that the ANSI code page cannot write, and no "
                "short name (short names are off on its volume)";
            named = false;
            break;
        case RefusalRule::NotFullyQualified:
            why =
                "%s has a name that the ANSI code page cannot write and is not a full path (a "
                "drive and a root, or a network path): its short names would be looked up "
                "where the start does not look";
            break;
        case RefusalRule::NoShortName:
            why =
                "%s has a name that the ANSI code page cannot write, and no short name (short "
                "names are off on its volume, or it is not there)";
            break;
    }
    AnsiString reason(why);
    if (named) FormatText(reason, why, value);
    AnsiString sentence;
    FormatText(sentence, "%s; the launcher shows \"%s\" and starts nothing", reason.CStr(),
               box.CStr());
    findings.reason = ToUnicodeString(sentence);
}

// The folder `Java` in the working folder, by the folder's name as written.
UnicodeString JavaFolderAsWritten(const UnicodeString& workingFolder)
{
    const wchar_t kJava[] = L"\\Java";
    const int length = static_cast<int>(sizeof kJava / sizeof kJava[0]) - 1;
    UnicodeString path = workingFolder;
    path.Resize(workingFolder.Length() + length);
    std::wmemcpy(path.Data() + workingFolder.Length(), kJava, length);
    return path;
}

// The verdict once the launcher would ask the platform to start the plan.
void JudgeStart(Findings& findings, const StartRequest& start)
{
    if (!IsExistingDirectory(start.workingDirectory, true)) {
        Refuse(findings, "the working directory does not exist");
        return;
    }
    findings.program = ExamineProgram(start.commandLine, start.workingDirectory);
    const ProgramFinding& program = *findings.program;
    AnsiString reason;
    switch (program.state) {
        case ProgramFinding::State::Missing:
            if (program.foundIn) {
                // The search stops at the first name there, even one it cannot run.
                FormatText(reason,
                           "the start finds the name in %s, but that is a folder or a file it "
                           "cannot open for running",
                           program.foundIn);
                Refuse(findings, reason.CStr());
                return;
            }
            Refuse(findings,
                   program.bareName
                       ? "a name without a folder that the start finds nowhere: not "
                         "in the launcher's folder, the working directory (unless "
                         "NoDefaultCurrentDirectoryInExePath is set), the system "
                         "folders, the Windows folder or PATH"
                       : "the program file is not there, or cannot be opened for running");
            return;
        case ProgramFinding::State::NotAProgram:
            FormatText(reason, "the program file is not a Windows program: %s",
                       ToAnsiString(program.defect).CStr());
            Refuse(findings, reason.CStr());
            return;
        case ProgramFinding::State::OtherMachine:
            Refuse(findings, "the program is not for this system's processor");
            return;
        case ProgramFinding::State::Script:
            findings.verdict = Verdict::Start;
            reason = AnsiString("a batch file: the start runs it with the command interpreter");
            break;
        case ProgramFinding::State::Runs:
            findings.verdict = Verdict::Start;
            if (program.foundIn)
                FormatText(reason, "the start finds the program in %s, and it runs on this system",
                           program.foundIn);
            else
                reason = AnsiString("the program file exists and runs on this system");
            break;
    }
    findings.reason = ToUnicodeString(reason);
}
}  // namespace

Findings Survey(const UnicodeString& launcherLine)
{
    const DryRun run = RunLauncherDry(launcherLine);
    // A drive without a medium (D: on a machine without the installation)
    // fails the looks below instead of asking the administrator.
    const ThreadErrorModeScope failCriticalErrors;
    Findings findings;
    findings.workingFolder = run.workingFolder;
    if (run.hasArgument) findings.firstArgument = run.firstArgument;
    findings.mode = run.plan.Mode;

    if (!run.hasArgument) {
        // The launcher tests the folder by the name it can give, and none in a
        // folder it cannot name.
        AnsiString named;
        if (ToCodePagePath(run.workingFolder, named) == ERROR_SUCCESS) {
            AppendFormattedText(named, "\\Java");
            findings.javaFolder = ExamineFolder(ToUnicodeString(named));
            findings.javaFolder->path = JavaFolderAsWritten(run.workingFolder);
        }
    }
    if (findings.mode == CheckMode::InstalledRuntime) {
        findings.javaHome =
            RegistryViews{ExamineRegistryValue(kJavaRuntimeKey, kJavaRuntimeValue, kRead64),
                          ExamineRegistryValue(kJavaRuntimeKey, kJavaRuntimeValue, kReadDefault)};
        findings.runtimesElsewhere = FindRuntimesElsewhere(findings.javaHome->view64.state !=
                                                           RegistryFinding::State::KeyAbsent);
    }
    if (findings.mode == CheckMode::FixedInstallation)
        findings.executable =
            RegistryViews{ExamineRegistryValue(kProductKey, kProductValue, kRead64),
                          ExamineRegistryValue(kProductKey, kProductValue, kReadDefault)};

    if (run.abnormal) {
        findings.verdict = Verdict::Abnormal;
        const bool in64BitView = (run.lastKeyAccess & KEY_WOW64_64KEY) != 0;
        findings.abnormal = AbnormalValue{run.lastValueName, run.lastValueType, in64BitView};
        AnsiString reason;
        FormatText(reason, "%s (%s in the %s view)", run.errorMessage.CStr(),
                   RegistryTypeName(run.lastValueType), in64BitView ? "64-bit" : "32-bit");
        findings.reason = ToUnicodeString(reason);
        return findings;
    }
    for (const UnicodeString& path : run.shortNamePaths) {
        AnsiString named;
        if (ToCodePagePath(path, named) != ERROR_SUCCESS) continue;
        bool known = false;
        for (const ShortName& shortName : findings.shortNames)
            known = known || TextEquals(shortName.written, path);
        if (!known) findings.shortNames.push_back(ShortName{path, ToUnicodeString(named)});
    }
    if (!run.startAsked) {
        // The launcher shows the plan's own code without asking the platform,
        // so there is no command line to report: nothing is started.
        findings.verdict = Verdict::Refuse;
        findings.code = run.plan.RefusalCode;
        ExplainRefusal(findings, run.plan, run.boxText);
        return findings;
    }
    // An empty plan is handed on, and the platform refuses it: nothing is started.
    if (run.startCommandLine.IsEmpty()) {
        Refuse(findings, "the platform refuses to start an empty command line");
        return findings;
    }
    // What the start would have received, which is the plan itself, in the
    // code page the child reads it in: every character of it is the code page's.
    const StartRequest start{ToUnicodeString(run.startCommandLine),
                             ToUnicodeString(run.startDirectory)};
    findings.start = start;
    JudgeStart(findings, start);
    findings.warnings = FindStartWarnings(findings);
    return findings;
}
