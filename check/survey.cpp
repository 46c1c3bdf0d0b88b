#include "check/survey.h"

#include <cstring>

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

// Why the launcher refuses a plan with its own code, in the mode that refuses it.
const char* RefusalReason(CheckMode mode, DWORD code)
{
    const bool fixed = mode == CheckMode::FixedInstallation;
    if (code == ERROR_INVALID_NAME)
        return fixed ? "\"Executavel\" holds a double quote, which no file name holds (quotes "
                       "written around the path?)"
                     : "\"JavaHome\" holds a double quote, which no folder name holds (quotes "
                       "written around the path?)";
    if (code == ERROR_NO_UNICODE_TRANSLATION) {
        if (mode == CheckMode::LocalRuntime)
            return "the working folder has a name that the ANSI code page cannot write, and no "
                   "short name (short names are off on its volume)";
        return fixed ? "\"Executavel\" has a name that the ANSI code page cannot write, and no "
                       "short name (short names are off on its volume, or it is not there)"
                     : "\"JavaHome\" has a name that the ANSI code page cannot write, and no "
                       "short name (short names are off on its volume, or it is not there)";
    }
    return fixed ? "\"Executavel\" is absent or empty in the 64-bit view"
                 : "no Java folder here, and no \"JavaHome\" that the launcher reads";
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
    const ProgramFinding& program = findings.program;
    switch (program.state) {
        case ProgramFinding::State::Missing:
            Refuse(findings, program.bareName
                                 ? "a name without a folder that the start finds nowhere: not "
                                   "in the launcher's folder, the working directory, the system "
                                   "folders, the Windows folder or PATH"
                                 : "the program file is not there, or cannot be opened");
            return;
        case ProgramFinding::State::NotAProgram:
            FormatText(findings.reason, "the program file is not a Windows program: %s",
                       program.defect.CStr());
            findings.verdict = Verdict::Refuse;
            return;
        case ProgramFinding::State::OtherMachine:
            Refuse(findings, "the program is not for this system's processor");
            return;
        case ProgramFinding::State::Script:
            findings.verdict = Verdict::Start;
            findings.reason =
                AnsiString("a batch file: the start runs it with the command interpreter");
            return;
        case ProgramFinding::State::Runs:
            findings.verdict = Verdict::Start;
            if (program.foundIn)
                FormatText(findings.reason,
                           "the start finds the program in %s, and it runs on this system",
                           program.foundIn);
            else
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
    // Its name as the launcher gives it, not the code page's look-alike.
    const bool folderNamed =
        ToCodePagePath(run.workingFolder, findings.workingFolder) == ERROR_SUCCESS;
    if (!folderNamed) findings.workingFolder = ToAnsiString(run.workingFolder);
    findings.hasArgument = run.hasArgument;
    findings.firstArgument = ToAnsiString(run.firstArgument);
    findings.mode = ModeOf(run);

    if (!run.hasArgument) {
        // The launcher tests no folder in a folder it cannot name.
        findings.looksAtFolder = folderNamed;
        AnsiString folder = findings.workingFolder;
        AppendFormattedText(folder, "\\Java");
        if (folderNamed) findings.javaFolder = ExamineFolder(folder);
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
    for (const UnicodeString& path : run.shortNamePaths) {
        AnsiString named;
        if (ToCodePagePath(path, named) != ERROR_SUCCESS) continue;
        bool known = false;
        for (const AnsiString& shortName : findings.shortNames)
            known = known || std::strcmp(shortName.CStr(), named.CStr()) == 0;
        if (!known) findings.shortNames.push_back(named);
    }
    if (!run.startAsked) {
        // The launcher shows the plan's own code without asking the platform,
        // so there is no command line to report: nothing is started.
        findings.verdict = Verdict::Refuse;
        findings.codeKnown = true;
        findings.code = run.plan.RefusalCode;
        FormatText(findings.reason, "%s; the launcher shows \"%s\" and starts nothing",
                   RefusalReason(findings.mode, findings.code), run.boxText.CStr());
        return findings;
    }
    // What the start would have received, which is the plan itself.
    findings.startAsked = true;
    findings.commandLine = run.startCommandLine;
    findings.workingDirectory = run.startDirectory;
    JudgeStart(findings);
    findings.warnings = FindStartWarnings(findings);
    return findings;
}
