#include "check/report.h"

#include <cstring>

#include "check/program_finding.h"
#include "check/registry_finding.h"
#include "text/conversion.h"
#include "text/format.h"

namespace {
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

// Four lower-case hexadecimal digits.
AnsiString Hex4(unsigned value)
{
    static const char kDigits[] = "0123456789abcdef";
    const char digits[4] = {kDigits[(value >> 12) & 15], kDigits[(value >> 8) & 15],
                            kDigits[(value >> 4) & 15], kDigits[value & 15]};
    return AnsiString(digits, 4);
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

// Whether "Executavel" is only where the launcher does not look.
bool OnlyInThirtyTwoBitView(const Findings& findings)
{
    return findings.executable64.state != RegistryFinding::State::Present &&
           findings.executable32.state == RegistryFinding::State::Present;
}

// One "label: value" line, the values aligned in one column.
void Line(AnsiString& out, const char* label, const char* value)
{
    static const char kColumn[] = "                         ";
    const int padding = static_cast<int>(sizeof kColumn) - 1 - static_cast<int>(std::strlen(label));
    const AnsiString spaces(kColumn, padding > 1 ? padding : 1);
    AppendFormattedText(out, "%s%s%s\n", label, spaces.CStr(), value);
}

// JSON text in ASCII: quotes, backslashes, control and non-ASCII characters escaped.
void AppendJsonString(AnsiString& out, const AnsiString& text)
{
    const UnicodeString wide = ToUnicodeString(text);
    AppendFormattedText(out, "\"");
    for (int i = 0; i < wide.Length(); ++i) {
        const unsigned unit = static_cast<unsigned short>(wide[i]);
        if (unit == '"' || unit == '\\')
            AppendFormattedText(out, "\\%s", unit == '"' ? "\"" : "\\");
        else if (unit < 0x20 || unit > 0x7E)
            AppendFormattedText(out, "\\u%s", Hex4(unit).CStr());
        else {
            const char character = static_cast<char>(unit);
            AppendFormattedText(out, "%s", AnsiString(&character, 1).CStr());
        }
    }
    AppendFormattedText(out, "\"");
}

// Starts the member `name` of the object being written, after a comma unless it is the first.
void JsonName(AnsiString& out, const char* name)
{
    const bool first = out.Length() > 0 && out[out.Length() - 1] == '{';
    AppendFormattedText(out, "%s\"%s\":", first ? "" : ",", name);
}

void JsonField(AnsiString& out, const char* name, const AnsiString& value)
{
    JsonName(out, name);
    AppendJsonString(out, value);
}

void JsonField(AnsiString& out, const char* name, const char* value)
{
    JsonField(out, name, AnsiString(value));
}

const char* RegistryStateName(RegistryFinding::State state)
{
    switch (state) {
        case RegistryFinding::State::KeyAbsent:
            return "key-absent";
        case RegistryFinding::State::KeyUnreadable:
            return "key-unreadable";
        case RegistryFinding::State::ValueAbsent:
            return "value-absent";
        case RegistryFinding::State::Present:
            break;
    }
    return "present";
}

void JsonRegistry(AnsiString& out, const char* name, const RegistryFinding& finding)
{
    JsonName(out, name);
    AppendFormattedText(out, "{");
    JsonField(out, "state", RegistryStateName(finding.state));
    if (finding.state == RegistryFinding::State::Present) {
        JsonField(out, "type", RegistryTypeName(finding.type));
        if (finding.type == REG_SZ || finding.type == REG_EXPAND_SZ)
            JsonField(out, "text", finding.text);
    }
    AppendFormattedText(out, "}");
}

const char* FolderKindToken(FolderFinding::Kind kind)
{
    switch (kind) {
        case FolderFinding::Kind::Absent:
            return "absent";
        case FolderFinding::Kind::Folder:
            return "folder";
        case FolderFinding::Kind::File:
            return "file";
        case FolderFinding::Kind::LinkToFolder:
            return "link-to-folder";
        case FolderFinding::Kind::LinkToFile:
            return "link-to-file";
        case FolderFinding::Kind::BrokenLink:
            return "broken-link";
        case FolderFinding::Kind::Unexaminable:
            break;
    }
    return "unexaminable";
}

const char* ProgramStateToken(ProgramFinding::State state)
{
    switch (state) {
        case ProgramFinding::State::Missing:
            return "missing";
        case ProgramFinding::State::NotAProgram:
            return "not-a-program";
        case ProgramFinding::State::OtherMachine:
            return "other-machine";
        case ProgramFinding::State::Runs:
            break;
    }
    return "runs";
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
    return out;
}

AnsiString JsonReport(const Findings& findings)
{
    AnsiString out("{");
    JsonField(out, "workingFolder", findings.workingFolder);
    JsonName(out, "firstArgument");
    if (findings.hasArgument)
        AppendJsonString(out, findings.firstArgument);
    else
        AppendFormattedText(out, "null");
    JsonField(out, "mode", ModeName(findings.mode));
    if (findings.looksAtFolder) {
        JsonName(out, "javaFolder");
        AppendFormattedText(out, "{");
        JsonField(out, "path", findings.javaFolder.path);
        JsonField(out, "kind", FolderKindToken(findings.javaFolder.kind));
        AppendFormattedText(out, "}");
    }
    if (findings.looksAtJavaHome) {
        JsonRegistry(out, "javaHome64", findings.javaHome64);
        JsonRegistry(out, "javaHome32", findings.javaHome32);
    }
    if (findings.looksAtExecutable) {
        JsonRegistry(out, "executavel64", findings.executable64);
        JsonRegistry(out, "executavel32", findings.executable32);
        JsonName(out, "executavelOnlyInUnreadView");
        AppendFormattedText(out, "%s", OnlyInThirtyTwoBitView(findings) ? "true" : "false");
    }
    JsonField(out, "commandLine", findings.commandLine);
    JsonField(out, "workingDirectory", findings.workingDirectory);
    if (findings.programExamined) {
        JsonName(out, "program");
        AppendFormattedText(out, "{");
        JsonField(out, "path", findings.program.path);
        JsonField(out, "state", ProgramStateToken(findings.program.state));
        if (findings.program.state == ProgramFinding::State::Runs ||
            findings.program.state == ProgramFinding::State::OtherMachine)
            JsonField(out, "machine", MachineName(findings.program.machine));
        JsonField(out, "system", ArchitectureName(findings.program.nativeSystem));
        AppendFormattedText(out, "}");
    }
    if (findings.verdict == Verdict::Abnormal) {
        JsonField(out, "abnormalValue", findings.abnormalValue);
        JsonField(out, "abnormalType", RegistryTypeName(findings.abnormalType));
        JsonField(out, "abnormalView", findings.abnormalIn64BitView ? "64-bit" : "32-bit");
    }
    JsonField(out, "verdict", VerdictName(findings.verdict));
    JsonName(out, "code");
    if (findings.codeKnown)
        AppendFormattedText(out, "%d", static_cast<int>(findings.code));
    else
        AppendFormattedText(out, "null");
    JsonField(out, "reason", findings.reason);
    AppendFormattedText(out, "}\n");
    return out;
}
