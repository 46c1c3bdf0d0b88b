#include "check/report_names.h"

const char* ModeName(CheckMode mode)
{
    switch (mode) {
        case CheckMode::LocalRuntime:
            return "local-runtime";
        case CheckMode::InstalledRuntime:
            return "installed-runtime";
        case CheckMode::FixedInstallation:
            return "fixed-installation";
        case CheckMode::EmptyPlan:
            break;
    }
    return "empty-plan";
}

const char* VerdictName(Verdict verdict)
{
    switch (verdict) {
        case Verdict::Start:
            return "start";
        case Verdict::Refuse:
            return "refuse";
        case Verdict::Abnormal:
            break;
    }
    return "abnormal";
}

AnsiString Hex4(unsigned value)
{
    static const char kDigits[] = "0123456789abcdef";
    const char digits[4] = {kDigits[(value >> 12) & 15], kDigits[(value >> 8) & 15],
                            kDigits[(value >> 4) & 15], kDigits[value & 15]};
    return AnsiString(digits, 4);
}

bool OnlyInThirtyTwoBitView(const Findings& findings)
{
    return findings.executable &&
           findings.executable->view64.state != RegistryFinding::State::Present &&
           findings.executable->view32.state == RegistryFinding::State::Present;
}
