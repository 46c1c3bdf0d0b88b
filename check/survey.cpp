#include "check/survey.h"

#include "check/dry_run.h"
#include "check/folder_finding.h"
#include "check/program_finding.h"
#include "check/registry_finding.h"
#include "check/runtimes_elsewhere.h"
#include "launcher/registry_names.h"
#include "platform/arguments.h"
#include "platform/thread_error_mode.h"
#include "text/conversion.h"
#include "text/format.h"

namespace {
using namespace LauncherRegistry;

// The registry is read in the installed-runtime and fixed-installation modes
// only, one for each case of the first argument.
CheckMode ModeOf(const DryRun& run)
{
    if (run.hasArgument)
        return run.readRegistry ? CheckMode::FixedInstallation : CheckMode::EmptyPlan;
    return run.readRegistry ? CheckMode::InstalledRuntime : CheckMode::LocalRuntime;
}

void Refuse(Findings& findings, const char* reason)
{
    findings.verdict = Verdict::Refuse;
    findings.reason = AnsiString(reason);
}

// The verdict once the launcher would ask the platform to start the plan.
void JudgeStart(Findings& findings)
{
    if (findings.commandLine.IsEmpty()) {
        Refuse(findings, "the platform refuses to start an empty command line");
        return;
    }
    if (!IsExistingDirectory(ToUnicodeString(findings.workingDirectory), true)) {
        Refuse(findings, "the working directory does not exist");
        return;
    }
    findings.programExamined = true;
    findings.program = ExamineProgram(findings.commandLine, findings.workingDirectory);
    switch (findings.program.state) {
        case ProgramFinding::State::Missing:
            Refuse(findings, findings.program.bareName
                                 ? "the program is not in the working directory (a name without "
                                   "a folder: the start also searches the launcher's folder, the "
                                   "system folders and PATH, which the check does not)"
                                 : "the program file is not there, or cannot be read");
            return;
        case ProgramFinding::State::NotAProgram:
            Refuse(findings, "the program file is not a Windows program");
            return;
        case ProgramFinding::State::OtherMachine:
            Refuse(findings, "the program is not for this system's processor");
            return;
        case ProgramFinding::State::Runs:
            findings.verdict = Verdict::Start;
            findings.reason = AnsiString("the program file exists and runs on this system");
            return;
    }
}
}  // namespace

Findings Survey(const UnicodeString& launcherLine)
{
    const DryRun run = RunLauncherDry(launcherLine);
    // A drive without a medium (D: on a machine without the installation)
    // fails the looks below instead of asking the administrator.
    const ThreadErrorModeScope failCriticalErrors;
    Findings findings;
    findings.workingFolder = ToAnsiString(run.workingFolder);
    findings.hasArgument = run.hasArgument;
    findings.firstArgument = ToAnsiString(run.firstArgument);
    findings.mode = ModeOf(run);

    if (!run.hasArgument) {
        findings.looksAtFolder = true;
        AnsiString folder = findings.workingFolder;
        AppendFormattedText(folder, "\\Java");
        findings.javaFolder = ExamineFolder(folder);
    }
    if (findings.mode == CheckMode::InstalledRuntime) {
        findings.looksAtJavaHome = true;
        findings.javaHome64 = ExamineRegistryValue(kJavaRuntimeKey, kJavaRuntimeValue, kRead64);
        findings.javaHome32 =
            ExamineRegistryValue(kJavaRuntimeKey, kJavaRuntimeValue, kReadDefault);
        findings.looksElsewhere = true;
        findings.runtimesElsewhere =
            FindRuntimesElsewhere(findings.javaHome64.state != RegistryFinding::State::KeyAbsent);
    }
    if (findings.mode == CheckMode::FixedInstallation) {
        findings.looksAtExecutable = true;
        findings.executable64 = ExamineRegistryValue(kProductKey, kProductValue, kRead64);
        findings.executable32 = ExamineRegistryValue(kProductKey, kProductValue, kReadDefault);
    }

    if (run.abnormal) {
        findings.verdict = Verdict::Abnormal;
        findings.abnormalValue = ToAnsiString(run.lastValueName);
        findings.abnormalType = run.lastValueType;
        findings.abnormalIn64BitView = (run.lastKeyAccess & KEY_WOW64_64KEY) != 0;
        FormatText(findings.reason, "%s (%s in the %s view)", run.errorMessage.CStr(),
                   RegistryTypeName(run.lastValueType),
                   findings.abnormalIn64BitView ? "64-bit" : "32-bit");
        return findings;
    }
    findings.commandLine = run.plan.CommandLine;
    findings.workingDirectory = run.plan.WorkingDirectory;
    if (!run.startAsked) {
        // The launcher shows the plan's own code without asking the platform.
        findings.verdict = Verdict::Refuse;
        findings.codeKnown = true;
        findings.code = run.plan.RefusalCode;
        const char* why = findings.mode == CheckMode::FixedInstallation
                              ? "\"Executavel\" is absent or empty in the 64-bit view"
                              : "no Java folder here, and no \"JavaHome\" that the launcher reads";
        FormatText(findings.reason, "%s; the launcher shows \"%s\" and starts nothing", why,
                   run.boxText.CStr());
        return findings;
    }
    // What the start would have received, which is the plan itself.
    findings.commandLine = run.startCommandLine;
    findings.workingDirectory = run.startDirectory;
    JudgeStart(findings);
    return findings;
}
