#include "check/json_report.h"

#include "check/program_finding.h"
#include "check/registry_finding.h"
#include "check/registry_fix.h"
#include "check/report_names.h"
#include "check/runtimes_elsewhere.h"
#include "text/conversion.h"
#include "text/format.h"

namespace {
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
    if (findings.looksElsewhere) {
        JsonName(out, "runtimesElsewhere");
        AppendFormattedText(out, "[");
        for (const RuntimeElsewhere& runtime : findings.runtimesElsewhere) {
            AppendFormattedText(out, "%s{", &runtime == &findings.runtimesElsewhere[0] ? "" : ",");
            JsonField(out, "registryKey", ToAnsiString(runtime.registryKey));
            JsonField(out, "valueName", ToAnsiString(UnicodeString(runtime.valueName)));
            JsonField(out, "view", RegistryViewName(runtime.view));
            JsonField(out, "kind", runtime.jdk ? "JDK" : "JRE");
            JsonField(out, "version", ToAnsiString(runtime.version));
            JsonField(out, "path", ToAnsiString(runtime.folder));
            if (runtime.programExamined && runtime.program.machine != 0)
                JsonField(out, "machine", MachineName(runtime.program.machine));
            JsonName(out, "usable");
            AppendFormattedText(out, "%s", runtime.usable ? "true" : "false");
            if (!runtime.usable) JsonField(out, "whyNotUsable", runtime.whyNotUsable);
            AppendFormattedText(out, "}");
        }
        AppendFormattedText(out, "]");
    }
    const RegistryFix& fix = findings.registryFix;
    if (fix.asked) {
        JsonName(out, "regFix");
        AppendFormattedText(out, "{");
        JsonField(out, "file", ToAnsiString(fix.file));
        JsonName(out, "written");
        AppendFormattedText(out, "%s", fix.written ? "true" : "false");
        if (fix.written) {
            JsonField(out, "javaHome", ToAnsiString(findings.runtimesElsewhere[fix.chosen].folder));
            JsonField(out, "from",
                      ToAnsiString(findings.runtimesElsewhere[fix.chosen].registryKey));
            JsonField(out, "rule", kRegistryFixRule);
        } else {
            JsonField(out, "reason", fix.reason);
        }
        AppendFormattedText(out, "}");
    }
    AppendFormattedText(out, "}\n");
    return out;
}
