// KorveNembralCheck: tells an administrator what the launcher would do in
// this folder with these arguments, and why, without starting anything.
//
//   KorveNembralCheck.exe [--json | --detect] [--reg-fix FILE] [--shortcut LNK]
//                         [--] [the launcher's arguments]
//
// Exit status: 0 when the launcher would start an existing program, 1 when it
// would refuse the start, 2 for a usage error, 3 when it would end abnormally,
// 4 when a --reg-fix file was due but not written, 5 when the check itself
// failed. With --detect, 0 whenever the check could answer, 5 when it could not.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>

#include "check/check_command_line.h"
#include "check/json_report.h"
#include "check/registry_fix.h"
#include "check/report_context.h"
#include "check/report_output.h"
#include "check/shortcut.h"
#include "check/survey.h"
#include "check/text_report.h"
#include "launcher/entry.h"
#include "platform/arguments.h"
#include "platform/windows_api.h"

namespace {
const int kStarts = 0;
const int kRefuses = 1;
const int kUsageError = 2;
const int kAbnormal = 3;
const int kFixNotWritten = 4;
const int kCheckFailed = 5;

const char kUsage[] =
    "usage: KorveNembralCheck.exe [--json | --detect] [--reg-fix FILE] [--shortcut LNK]\n"
    "                             [--] [the launcher's arguments]\n"
    "Run it in the folder the launcher is started from; it starts nothing.\n"
    "Options may come before or after the launcher's arguments; after -- every word\n"
    "is the launcher's.\n"
    "--json          the report as one JSON object\n"
    "--detect        one line when the launcher would start, nothing when not\n"
    "--shortcut LNK  judges the start the shortcut LNK makes: its target's arguments\n"
    "                and its \"Start in\" folder\n"
    "--reg-fix FILE  writes a registry file that points the launcher at a Java 8\n"
    "                runtime registered elsewhere, when it lacks one; the registry\n"
    "                is not changed\n"
    "Exit status: 0 start, 1 refuse, 2 usage error, 3 abnormal end, 4 the --reg-fix\n"
    "file was not written, 5 the check failed; with --detect 0 whenever the check\n"
    "answers.\n";

// Surveys the start that the shortcut `file` makes: in its "Start in" folder,
// with its arguments. Returns 0, or the status to end with when it cannot be judged.
int SurveyShortcut(const UnicodeString& file, Findings& findings)
{
    const ShortcutFinding shortcut = ReadShortcut(file);
    if (!shortcut.read) {
        std::fprintf(stderr,
                     "KorveNembralCheck: %ls is not a shortcut that can be read (0x%08lx)\n",
                     file.CStr(), static_cast<unsigned long>(shortcut.error));
        return kUsageError;
    }
    // An empty "Start in" leaves the folder to the shell: the check's own stands in.
    if (!shortcut.startIn.IsEmpty() && !Windows().SetCurrentDirectoryW(shortcut.startIn.CStr())) {
        std::fprintf(stderr,
                     "KorveNembralCheck: the shortcut's \"Start in\" %ls is not a folder "
                     "there is: the shell starts nothing\n",
                     shortcut.startIn.CStr());
        return kRefuses;
    }
    std::wstring line = L"KorveNembral.exe ";
    line.append(shortcut.arguments.CStr(), static_cast<std::size_t>(shortcut.arguments.Length()));
    // The launcher splits the shortcut's arguments itself, as it would when started by it.
    findings = Survey(UnicodeString(line.c_str(), static_cast<int>(line.size())));
    std::wstring launcher = ArgumentAt(0).CStr();
    launcher.resize(launcher.find_last_of(L'\\') + 1);
    launcher += L"KorveNembral.exe";
    const UnicodeString besideTheCheck(launcher.c_str(), static_cast<int>(launcher.size()));
    findings.shortcut = shortcut;
    findings.shortcut->targetsLauncher = TargetsLauncher(shortcut.target, besideTheCheck);
    if (!findings.shortcut->targetsLauncher) {
        // Names as written: the shortcut's target may lie beyond the code page.
        std::wstring text = L"the shortcut starts ";
        text.append(shortcut.target.CStr(), static_cast<std::size_t>(shortcut.target.Length()));
        text += L", not the launcher beside this check (";
        text += launcher;
        text += L"): the check judged the launcher's start";
        StartWarning warning;
        warning.kind = "shortcut-target";
        warning.text = UnicodeString(text.c_str(), static_cast<int>(text.size()));
        findings.warnings.push_back(warning);
    }
    return kStarts;
}

int VerdictStatus(const Findings& findings)
{
    if (findings.registryFix && findings.registryFix->notWritten) return kFixNotWritten;
    switch (findings.verdict) {
        case Verdict::Start:
            return kStarts;
        case Verdict::Refuse:
            return kRefuses;
        case Verdict::Abnormal:
            break;
    }
    return kAbnormal;
}

// The application-detection answer: one line when the launcher would start,
// none when it would not. A control character never reaches the line.
UnicodeString DetectionLine(const Findings& findings)
{
    if (findings.verdict != Verdict::Start || !findings.start) return UnicodeString();
    const UnicodeString& commandLine = findings.start->commandLine;
    std::wstring line = L"start: ";
    for (int i = 0; i < commandLine.Length(); ++i)
        line += commandLine[i] < 0x20 ? L'?' : commandLine[i];
    line += L'\n';
    return UnicodeString(line.c_str(), static_cast<int>(line.size()));
}
}  // namespace

int main()
{
    // Administrators run it on shared machines: the launcher's own hardening.
    HardenProcess();
    try {
        const CheckCommandLine options = ReadCheckCommandLine();
        if (options.usageError) {
            std::fputs(kUsage, stderr);
            return kUsageError;
        }
        Findings findings;
        if (options.shortcut) {
            const int status = SurveyShortcut(options.shortcutFile, findings);
            if (status != kStarts) return status;
        } else {
            findings = Survey(options.launcherLine);
        }
        findings.context = GatherReportContext();
        if (options.regFix) findings.registryFix = WriteRegistryFix(findings, options.regFixFile);
        if (options.detect) {
            const UnicodeString line = DetectionLine(findings);
            // A line that did not reach the tool would read as "not installed".
            if (!line.IsEmpty() && !WriteReport(line)) {
                std::fputs("KorveNembralCheck: the detection line could not be written\n", stderr);
                return kCheckFailed;
            }
            return kStarts;
        }
        const UnicodeString report = options.json ? JsonReport(findings) : TextReport(findings);
        // Without a standard output (a task started detached) the status still answers.
        WriteReport(report);
        return VerdictStatus(findings);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "KorveNembralCheck: %s\n", error.what());
        return kCheckFailed;
    }
}
