#include "check/text_report.h"

#include <cstring>

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
            FormatText(text, "%s: not a Windows program", program.path.CStr());
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

// One "label: value" line, the values aligned in one column.
void Line(AnsiString& out, const char* label, const char* value)
{
    static const char kColumn[] = "                         ";
    const int padding = static_cast<int>(sizeof kColumn) - 1 - static_cast<int>(std::strlen(label));
    const AnsiString spaces(kColumn, padding > 1 ? padding : 1);
    AppendFormattedText(out, "%s%s%s\n", label, spaces.CStr(), value);
}
}  // namespace

AnsiString TextReport(const Findings& findings)
{
    AnsiString out;
    AppendFormattedText(out, "What KorveNembral.exe would do here (nothing was started):\n");
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
    if (findings.verdict != Verdict::Abnormal) {
        Line(out, "Command line:", findings.commandLine.CStr());
        Line(out, "Working directory:", findings.workingDirectory.CStr());
    } else {
        Line(out, "Plan:", "none");
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
    return out;
}
