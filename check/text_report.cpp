#include "check/text_report.h"

#include <string>

#include "check/program_finding.h"
#include "check/registry_finding.h"
#include "check/registry_fix.h"
#include "check/report_names.h"
#include "check/runtimes_elsewhere.h"

namespace {
using Text = std::wstring;

// The program's own words, all ASCII.
Text W(const char* ascii)
{
    Text text;
    for (; *ascii; ++ascii) text += static_cast<wchar_t>(static_cast<unsigned char>(*ascii));
    return text;
}

Text W(const UnicodeString& value)
{
    return Text(value.CStr(), static_cast<std::size_t>(value.Length()));
}

Text Number(long long value) { return std::to_wstring(value); }

const char* FolderKindName(FolderFinding::Kind kind)
{
    switch (kind) {
        case FolderFinding::Kind::Absent:
            return "absent";
        case FolderFinding::Kind::Folder:
            return "a folder";
        case FolderFinding::Kind::File:
            return "a file, not a folder";
        case FolderFinding::Kind::LinkToFolder:
            return "a link to a folder";
        case FolderFinding::Kind::LinkToFile:
            return "a link to a file";
        case FolderFinding::Kind::BrokenLink:
            return "a link whose target is gone";
        case FolderFinding::Kind::Unexaminable:
            break;
    }
    return "there, but its attributes cannot be read (taken for a folder)";
}

// "key absent", "value absent" or the type with the text the launcher would take.
Text Described(const RegistryFinding& finding)
{
    switch (finding.state) {
        case RegistryFinding::State::KeyAbsent:
            return W("key absent");
        case RegistryFinding::State::KeyUnreadable:
            return W("key there but not readable (error ") + Number(finding.error) + W(")");
        case RegistryFinding::State::ValueAbsent:
            return W("value absent");
        case RegistryFinding::State::Present:
            break;
    }
    if (finding.type == REG_SZ || finding.type == REG_EXPAND_SZ)
        return W(RegistryTypeName(finding.type)) + W(" \"") + W(finding.text) + W("\"");
    return W(RegistryTypeName(finding.type)) + W(", ") + Number(finding.size) +
           W(" bytes (not text)");
}

Text DescribedProgram(const ProgramFinding& program)
{
    Text text = program.path.IsEmpty() ? W(program.name) : W(program.path);
    switch (program.state) {
        case ProgramFinding::State::Missing:
            text += program.path.IsEmpty() ? W(": found nowhere")
                                           : W(": not there, or it cannot be opened for running");
            break;
        case ProgramFinding::State::NotAProgram:
            text += W(": not a Windows program (") + W(program.defect) + W(")");
            break;
        case ProgramFinding::State::Script:
            text += W(": a batch file, for the command interpreter");
            break;
        case ProgramFinding::State::OtherMachine:
        case ProgramFinding::State::Runs:
            text += W(": a Windows program for ") + W(MachineName(program.machine)) +
                    W(" (machine 0x") + W(Hex4(program.machine).CStr()) + W("), ") +
                    W(program.state == ProgramFinding::State::Runs ? "runs" : "does not run") +
                    W(" on this ") + W(ArchitectureName(program.nativeSystem)) + W(" system");
            break;
    }
    if (program.foundIn) text += W("; found in ") + W(program.foundIn);
    return text;
}

Text DescribedElsewhere(const RuntimeElsewhere& runtime)
{
    Text text = W("HKLM\\") + W(runtime.registryKey) + W(" \"") + runtime.valueName + W("\" (") +
                W(RegistryViewName(runtime.view)) + W(" view), Java ") + W(runtime.version) +
                W(runtime.jdk ? " JDK: " : " JRE: ") +
                (runtime.folder.IsEmpty() ? W("(no folder)") : W(runtime.folder)) + W(": ");
    if (runtime.usable)
        return text + W("usable (") + W(MachineName(runtime.program->machine)) + W(")");
    return text + W("not usable, ") + W(runtime.whyNotUsable);
}

Text DescribedFix(const Findings& findings)
{
    const RegistryFix& fix = *findings.registryFix;
    if (!fix.written) return W("not written: ") + W(fix.reason);
    const RuntimeElsewhere& chosen = (*findings.runtimesElsewhere)[fix.chosen];
    return W("written to ") + W(fix.file) + W(": \"JavaHome\" ") + W(chosen.folder) +
           W(", in the view the launcher reads first, from HKLM\\") + W(chosen.registryKey) +
           W("; chosen by: ") + W(kRegistryFixRule);
}

bool IsControl(unsigned unit) { return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F); }

bool IsEscaped(unsigned unit) { return IsControl(unit) || unit == 0x2028 || unit == 0x2029; }

bool IsHexDigits(const Text& text, std::size_t at, std::size_t count)
{
    if (at + count > text.size()) return false;
    for (std::size_t i = at; i < at + count; ++i) {
        const wchar_t unit = text[i];
        if (!((unit >= L'0' && unit <= L'9') || (unit >= L'a' && unit <= L'f') ||
              (unit >= L'A' && unit <= L'F')))
            return false;
    }
    return true;
}

// Whether the output at `at` begins with what reads as an escape: a character
// that is escaped, or "x" and two or "u" and four hexadecimal digits.
bool ReadsAsEscape(const Text& text, std::size_t at)
{
    if (at >= text.size()) return false;
    const unsigned unit = static_cast<unsigned short>(text[at]);
    if (IsEscaped(unit)) return true;
    return (unit == L'x' && IsHexDigits(text, at + 1, 2)) ||
           (unit == L'u' && IsHexDigits(text, at + 1, 4));
}

// The text with every control character, and the two Unicode line
// separators, written as an escape (\x0a, \u2028): a value read from the
// registry or the disk can then neither start a line of its own nor send the
// console an escape sequence. Backslashes right before what reads as an
// escape are doubled, so "\x0a" written in a value shows as "\\x0a".
Text Escaped(const Text& value)
{
    static const wchar_t kDigits[] = L"0123456789abcdef";
    Text escaped;
    escaped.reserve(value.size());
    for (std::size_t i = 0; i < value.size();) {
        const unsigned unit = static_cast<unsigned short>(value[i]);
        if (unit == L'\\') {
            std::size_t end = i;
            while (end < value.size() && value[end] == L'\\') ++end;
            escaped.append((end - i) * (ReadsAsEscape(value, end) ? 2 : 1), L'\\');
            i = end;
            continue;
        }
        if (IsEscaped(unit)) {
            const bool control = IsControl(unit);
            escaped += control ? L"\\x" : L"\\u";
            if (!control) {
                escaped += kDigits[(unit >> 12) & 15];
                escaped += kDigits[(unit >> 8) & 15];
            }
            escaped += kDigits[(unit >> 4) & 15];
            escaped += kDigits[unit & 15];
        } else {
            escaped += value[i];
        }
        ++i;
    }
    return escaped;
}

// One "label: value" line, the values aligned in one column.
void Line(Text& out, const char* label, const Text& value)
{
    const std::size_t column = 25;
    const Text wideLabel = W(label);
    out += wideLabel;
    out.append(wideLabel.size() + 1 < column ? column - wideLabel.size() : 1, L' ');
    out += Escaped(value);
    out += L'\n';
}
}  // namespace

UnicodeString TextReport(const Findings& findings)
{
    // Built in one growing buffer: a value may be megabytes long.
    Text out = W("What KorveNembral.exe would do here (nothing was started):\n");
    const ReportContext& context = findings.context;
    Line(out, "Checked:",
         W(context.time) + W(" on ") + W(context.computerName) + W(", Windows ") +
             Number(context.windowsMajor) + W(".") + Number(context.windowsMinor) + W(" build ") +
             Number(context.windowsBuild) + W(" (") + W(context.architecture) +
             W("), code pages ") + Number(context.ansiCodePage) + W(" (ANSI) and ") +
             Number(context.oemCodePage) + W(" (OEM); check ") + W(context.checkVersion));
    if (findings.shortcut) {
        const ShortcutFinding& shortcut = *findings.shortcut;
        Line(out, "Shortcut:",
             W(shortcut.file) + W(": target ") + W(shortcut.target) + W(", arguments \"") +
                 W(shortcut.arguments) + W("\", Start in ") +
                 (shortcut.startIn.IsEmpty() ? W("(empty: the shell's choice)")
                                             : W(shortcut.startIn)));
    }
    Line(out, "Working folder:", W(findings.workingFolder));
    Line(out, "First argument:", findings.firstArgument ? W(*findings.firstArgument) : W("(none)"));
    Line(out, "Mode:", W(ModeName(findings.mode)));
    if (findings.javaFolder)
        Line(out, "Java folder:",
             W(findings.javaFolder->path) + W(": ") + W(FolderKindName(findings.javaFolder->kind)));
    if (findings.javaHome) {
        Line(out, "JavaHome, 64-bit view:", Described(findings.javaHome->view64));
        Line(out, "JavaHome, 32-bit view:", Described(findings.javaHome->view32));
    }
    if (findings.executable) {
        Line(out, "Executavel, 64-bit view:", Described(findings.executable->view64));
        if (OnlyInThirtyTwoBitView(findings))
            Line(out, "Executavel, 32-bit view:",
                 Described(findings.executable->view32) + W(", which the launcher does not read"));
    }
    if (findings.start) {
        Line(out, "Command line:", W(findings.start->commandLine));
        Line(out, "Working directory:", W(findings.start->workingDirectory));
    } else if (findings.verdict != Verdict::Abnormal) {
        Line(out, "Command line:", W("(none: nothing is started)"));
    } else {
        Line(out, "Plan:", W("none"));
    }
    for (const ShortName& shortName : findings.shortNames)
        Line(out, &shortName == &findings.shortNames[0] ? "Short names:" : "",
             W(shortName.written) + W(" is given as ") + W(shortName.given));
    if (findings.program) Line(out, "Program:", DescribedProgram(*findings.program));
    Text verdict;
    switch (findings.verdict) {
        case Verdict::Start:
            verdict = W("start: ") + W(findings.reason);
            break;
        case Verdict::Refuse:
            if (findings.code)
                verdict =
                    W("refuse with code ") + Number(*findings.code) + W(": ") + W(findings.reason);
            else
                verdict = W("refuse (the code is the platform's): ") + W(findings.reason);
            break;
        case Verdict::Abnormal:
            verdict = W("\"Abnormal program termination\": ") + W(findings.reason);
            break;
    }
    Line(out, "Verdict:", verdict);
    for (const StartWarning& warning : findings.warnings) Line(out, "Warning:", W(warning.text));
    if (findings.runtimesElsewhere) {
        // Where other installers register Java, which the launcher does not read.
        const char* label = "Registered elsewhere:";
        if (findings.runtimesElsewhere->empty()) Line(out, label, W("no Java runtime"));
        for (const RuntimeElsewhere& runtime : *findings.runtimesElsewhere) {
            Line(out, label, DescribedElsewhere(runtime));
            label = "";
        }
    }
    if (findings.registryFix) Line(out, "Registry fix:", DescribedFix(findings));
    return UnicodeString(out.data(), static_cast<int>(out.size()));
}
