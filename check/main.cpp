// KorveNembralCheck: tells an administrator what the launcher would do in
// this folder with these arguments, and why, without starting anything.
//
//   KorveNembralCheck.exe [--json] [--reg-fix FILE] [the launcher's arguments]
//
// Exit status: 0 when the launcher would start an existing program, 1 when it
// would refuse the start or end abnormally, 2 for a usage error, 4 when
// --reg-fix had a file to write and did not write it.
#include <windows.h>

#include <cstdio>
#include <exception>

#include "check/check_command_line.h"
#include "check/json_report.h"
#include "check/registry_fix.h"
#include "check/report_output.h"
#include "check/survey.h"
#include "check/text_report.h"
#include "launcher/entry.h"

namespace {
const int kStarts = 0;
const int kDoesNotStart = 1;
const int kUsageError = 2;
const int kFixNotWritten = 4;

const char kUsage[] =
    "usage: KorveNembralCheck.exe [--json] [--reg-fix FILE] [the launcher's arguments]\n"
    "Run it in the folder the launcher is started from; it starts nothing.\n"
    "--reg-fix FILE writes a registry file that points the launcher at a Java 8\n"
    "runtime registered elsewhere, when it lacks one; the registry is not changed.\n";
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
        Findings findings = Survey(options.launcherLine);
        if (options.regFix) findings.registryFix = WriteRegistryFix(findings, options.regFixFile);
        const UnicodeString report = options.json ? JsonReport(findings) : TextReport(findings);
        // Without a standard output (a task started detached) the status still answers.
        WriteReport(report);
        if (findings.registryFix && findings.registryFix->notWritten) return kFixNotWritten;
        return findings.verdict == Verdict::Start ? kStarts : kDoesNotStart;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "KorveNembralCheck: %s\n", error.what());
        return kDoesNotStart;
    }
}
