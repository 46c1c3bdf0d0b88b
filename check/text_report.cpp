#include "check/text_report.h"

#include <cstring>
#include <string>

#include "check/program_finding.h"
#include "check/registry_finding.h"
#include "check/registry_fix.h"
#include "check/report_names.h"
#include "check/runtimes_elsewhere.h"
#include "text/conversion.h"
#include "text/format.h"

namespace {
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
AnsiString Described(const RegistryFinding& finding)
{
    AnsiString text;
    switch (finding.state) {
        case RegistryFinding::State::KeyAbsent:
            return AnsiString("key absent");
        case RegistryFinding::State::KeyUnreadable:
            FormatText(text, "key there but not readable (error %d)",
                       static_cast<int>(finding.error));
            return text;
        case RegistryFinding::State::ValueAbsent:
            return AnsiString("value absent");
        case RegistryFinding::State::Present:
            break;
    }
    if (finding.type == REG_SZ || finding.type == REG_EXPAND_SZ)
        FormatText(text, "%s \"%s\"", RegistryTypeName(finding.type), finding.text.CStr());
    else
        FormatText(text, "%s, %d bytes (not text)", RegistryTypeName(finding.type),
                   static_cast<int>(finding.size));
    return text;
}

AnsiString DescribedProgram(const ProgramFinding& program)
{
    AnsiString text;
    switch (program.state) {
        case ProgramFinding::State::Missing:
            FormatText(text, "%s: not there, or not readable", program.path.CStr());
            break;
        case ProgramFinding::State::NotAProgram:
            FormatText(text, "%s: not a Windows program (%s)", program.path.CStr(),
                       program.defect.CStr());
            break;
        case ProgramFinding::State::Script:
            FormatText(text, "%s: a batch file, for the command interpreter", program.path.CStr());
            break;
        case ProgramFinding::State::OtherMachine:
        case ProgramFinding::State::Runs:
            FormatText(text, "%s: a Windows program for %s (machine 0x%s), %s on this %s system",
                       program.path.CStr(), MachineName(program.machine),
                       Hex4(program.machine).CStr(),
                       program.state == ProgramFinding::State::Runs ? "runs" : "does not run",
                       ArchitectureName(program.nativeSystem));
            break;
    }
    if (program.foundIn) AppendFormattedText(text, "; found in %s", program.foundIn);
    return text;
}

AnsiString DescribedElsewhere(const RuntimeElsewhere& runtime)
{
    AnsiString text;
    FormatText(
        text,
        "HKLM\\%s \"%s\" (%s view), Java %s %s: %s: ", ToAnsiString(runtime.registryKey).CStr(),
        ToAnsiString(UnicodeString(runtime.valueName)).CStr(), RegistryViewName(runtime.view),
        ToAnsiString(runtime.version).CStr(), runtime.jdk ? "JDK" : "JRE",
        runtime.folder.IsEmpty() ? "(no folder)" : ToAnsiString(runtime.folder).CStr());
    if (runtime.usable)
        AppendFormattedText(text, "usable (%s)", MachineName(runtime.program.machine));
    else
        AppendFormattedText(text, "not usable, %s", runtime.whyNotUsable.CStr());
    return text;
}

AnsiString DescribedFix(const Findings& findings)
{
    const RegistryFix& fix = findings.registryFix;
    AnsiString text;
    if (!fix.written) {
        FormatText(text, "not written: %s", fix.reason.CStr());
        return text;
    }
    const RuntimeElsewhere& chosen = findings.runtimesElsewhere[fix.chosen];
    FormatText(
        text,
        "written to %s: \"JavaHome\" %s, in the view the launcher reads first, from HKLM\\%s; "
        "chosen by: %s",
        ToAnsiString(fix.file).CStr(), ToAnsiString(chosen.folder).CStr(),
        ToAnsiString(chosen.registryKey).CStr(), kRegistryFixRule);
    return text;
}

// The text with every control character, and the two Unicode line
// separators, written as an escape (\x0a, \u2028): a value read from the
// registry or the disk can then neither start a line of its own nor send the
// console an escape sequence.
std::string Escaped(const char* value)
{
    const UnicodeString wide = ToUnicodeString(AnsiString(value));
    std::wstring escaped;
    escaped.reserve(static_cast<std::size_t>(wide.Length()));
    for (int i = 0; i < wide.Length(); ++i) {
        const unsigned unit = static_cast<unsigned short>(wide[i]);
        const bool control = unit < 0x20 || (unit >= 0x7F && unit <= 0x9F);
        if (control || unit == 0x2028 || unit == 0x2029) {
            static const wchar_t kDigits[] = L"0123456789abcdef";
            escaped += control ? L"\\x" : L"\\u";
            if (!control) {
                escaped += kDigits[(unit >> 12) & 15];
                escaped += kDigits[(unit >> 8) & 15];
            }
            escaped += kDigits[(unit >> 4) & 15];
            escaped += kDigits[unit & 15];
        } else {
            escaped += wide[i];
        }
    }
    const AnsiString narrow =
        ToAnsiString(UnicodeString(escaped.data(), static_cast<int>(escaped.size())));
    return std::string(narrow.CStr(), static_cast<std::size_t>(narrow.Length()));
}

// One "label: value" line, the values aligned in one column.
void Line(std::string& out, const char* label, const char* value)
{
    const std::size_t column = 25;
    const std::size_t length = std::strlen(label);
    out += label;
    out.append(length + 1 < column ? column - length : 1, ' ');
    out += Escaped(value);
    out += '\n';
}
}  // namespace

AnsiString TextReport(const Findings& findings)
{
    // Built in one growing buffer: a value may be megabytes long.
    std::string out = "What KorveNembral.exe would do here (nothing was started):\n";
    const ReportContext& context = findings.context;
    AnsiString checked;
    FormatText(checked,
               "%s on %s, Windows %u.%u build %u (%s), code pages %u (ANSI) and %u (OEM); "
               "check %s",
               context.time.CStr(), ToAnsiString(context.computerName).CStr(), context.windowsMajor,
               context.windowsMinor, context.windowsBuild, context.architecture,
               context.ansiCodePage, context.oemCodePage, context.checkVersion);
    Line(out, "Checked:", checked.CStr());
    if (findings.fromShortcut) {
        const ShortcutFinding& shortcut = findings.shortcut;
        AnsiString described;
        FormatText(described, "%s: target %s, arguments \"%s\", Start in %s",
                   ToAnsiString(shortcut.file).CStr(), ToAnsiString(shortcut.target).CStr(),
                   ToAnsiString(shortcut.arguments).CStr(),
                   shortcut.startIn.IsEmpty() ? "(empty: the shell's choice)"
                                              : ToAnsiString(shortcut.startIn).CStr());
        Line(out, "Shortcut:", described.CStr());
    }
    Line(out, "Working folder:", findings.workingFolder.CStr());
    Line(out, "First argument:", findings.hasArgument ? findings.firstArgument.CStr() : "(none)");
    Line(out, "Mode:", ModeName(findings.mode));
    if (findings.looksAtFolder) {
        AnsiString folder;
        FormatText(folder, "%s: %s", findings.javaFolder.path.CStr(),
                   FolderKindName(findings.javaFolder.kind));
        Line(out, "Java folder:", folder.CStr());
    }
    if (findings.looksAtJavaHome) {
        Line(out, "JavaHome, 64-bit view:", Described(findings.javaHome64).CStr());
        Line(out, "JavaHome, 32-bit view:", Described(findings.javaHome32).CStr());
    }
    if (findings.looksAtExecutable) {
        Line(out, "Executavel, 64-bit view:", Described(findings.executable64).CStr());
        if (OnlyInThirtyTwoBitView(findings)) {
            AnsiString note = Described(findings.executable32);
            AppendFormattedText(note, ", which the launcher does not read");
            Line(out, "Executavel, 32-bit view:", note.CStr());
        }
    }
    if (findings.startAsked) {
        Line(out, "Command line:", findings.commandLine.CStr());
        Line(out, "Working directory:", findings.workingDirectory.CStr());
    } else if (findings.verdict != Verdict::Abnormal) {
        Line(out, "Command line:", "(none: nothing is started)");
    } else {
        Line(out, "Plan:", "none");
    }
    if (!findings.shortNames.empty()) {
        AnsiString named;
        for (const AnsiString& shortName : findings.shortNames)
            AppendFormattedText(named, "%s%s", named.IsEmpty() ? "" : ", ", shortName.CStr());
        AppendFormattedText(named, " (each ends in the short name of a name the code page lacks)");
        Line(out, "Short names:", named.CStr());
    }
    if (findings.programExamined) Line(out, "Program:", DescribedProgram(findings.program).CStr());
    AnsiString verdict;
    switch (findings.verdict) {
        case Verdict::Start:
            FormatText(verdict, "start: %s", findings.reason.CStr());
            break;
        case Verdict::Refuse:
            if (findings.codeKnown)
                FormatText(verdict, "refuse with code %d: %s", static_cast<int>(findings.code),
                           findings.reason.CStr());
            else
                FormatText(verdict, "refuse (the code is the platform's): %s",
                           findings.reason.CStr());
            break;
        case Verdict::Abnormal:
            FormatText(verdict, "\"Abnormal program termination\": %s", findings.reason.CStr());
            break;
    }
    Line(out, "Verdict:", verdict.CStr());
    for (const StartWarning& warning : findings.warnings)
        Line(out, "Warning:", warning.text.CStr());
    if (findings.looksElsewhere) {
        // Where other installers register Java, which the launcher does not read.
        const char* label = "Registered elsewhere:";
        if (findings.runtimesElsewhere.empty()) Line(out, label, "no Java runtime");
        for (const RuntimeElsewhere& runtime : findings.runtimesElsewhere) {
            Line(out, label, DescribedElsewhere(runtime).CStr());
            label = "";
        }
    }
    if (findings.registryFix.asked) Line(out, "Registry fix:", DescribedFix(findings).CStr());
    return AnsiString(out.data(), static_cast<int>(out.size()));
}
