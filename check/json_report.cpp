#include "check/json_report.h"

#include <string>

#include "check/program_finding.h"
#include "check/registry_finding.h"
#include "check/registry_fix.h"
#include "check/report_names.h"
#include "check/runtimes_elsewhere.h"
#include "text/conversion.h"

namespace {
// The report grows in one buffer, appended to in place: a value may be
// megabytes long, and the report is then still written in one pass.
using Json = std::string;

// JSON text in ASCII: quotes, backslashes, control and non-ASCII characters escaped.
void AppendJsonString(Json& out, const AnsiString& text)
{
    static const char kDigits[] = "0123456789abcdef";
    const UnicodeString wide = ToUnicodeString(text);
    out += '"';
    for (int i = 0; i < wide.Length(); ++i) {
        const unsigned unit = static_cast<unsigned short>(wide[i]);
        if (unit == '"' || unit == '\\') {
            out += '\\';
            out += static_cast<char>(unit);
        } else if (unit < 0x20 || unit > 0x7E) {
            const char escape[] = {'\\',
                                   'u',
                                   kDigits[unit >> 12],
                                   kDigits[(unit >> 8) & 15],
                                   kDigits[(unit >> 4) & 15],
                                   kDigits[unit & 15]};
            out.append(escape, sizeof escape);
        } else {
            out += static_cast<char>(unit);
        }
    }
    out += '"';
}

// Starts the member `name` of the object being written, after a comma unless it is the first.
void JsonName(Json& out, const char* name)
{
    if (!out.empty() && out.back() != '{') out += ',';
    out += '"';
    out += name;
    out += "\":";
}

void JsonField(Json& out, const char* name, const AnsiString& value)
{
    JsonName(out, name);
    AppendJsonString(out, value);
}

void JsonField(Json& out, const char* name, const char* value)
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

void JsonRegistry(Json& out, const char* name, const RegistryFinding& finding)
{
    JsonName(out, name);
    out += '{';
    JsonField(out, "state", RegistryStateName(finding.state));
    if (finding.state == RegistryFinding::State::Present) {
        JsonField(out, "type", RegistryTypeName(finding.type));
        if (finding.type == REG_SZ || finding.type == REG_EXPAND_SZ)
            JsonField(out, "text", finding.text);
    }
    out += '}';
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
        case ProgramFinding::State::Script:
            return "batch-file";
        case ProgramFinding::State::Runs:
            break;
    }
    return "runs";
}

// The report's own version, which changes whenever a member's meaning does.
const int kSchemaVersion = 1;

void JsonNumber(Json& out, const char* name, unsigned value)
{
    JsonName(out, name);
    out += std::to_string(value);
}

void JsonContext(Json& out, const ReportContext& context)
{
    JsonNumber(out, "schemaVersion", kSchemaVersion);
    JsonField(out, "checkVersion", context.checkVersion);
    JsonField(out, "time", context.time);
    JsonName(out, "system");
    out += '{';
    JsonField(out, "computerName", ToAnsiString(context.computerName));
    JsonField(out, "windowsVersion",
              AnsiString((std::to_string(context.windowsMajor) + "." +
                          std::to_string(context.windowsMinor))
                             .c_str()));
    JsonNumber(out, "windowsBuild", context.windowsBuild);
    JsonField(out, "architecture", context.architecture);
    JsonNumber(out, "ansiCodePage", context.ansiCodePage);
    JsonNumber(out, "oemCodePage", context.oemCodePage);
    out += '}';
}
}  // namespace

AnsiString JsonReport(const Findings& findings)
{
    Json out = "{";
    JsonContext(out, findings.context);
    if (findings.fromShortcut) {
        const ShortcutFinding& shortcut = findings.shortcut;
        JsonName(out, "shortcut");
        out += '{';
        JsonField(out, "file", ToAnsiString(shortcut.file));
        JsonField(out, "target", ToAnsiString(shortcut.target));
        JsonField(out, "arguments", ToAnsiString(shortcut.arguments));
        JsonField(out, "startIn", ToAnsiString(shortcut.startIn));
        JsonName(out, "targetIsLauncher");
        out += findings.shortcutTargetsLauncher ? "true" : "false";
        out += '}';
    }
    JsonField(out, "workingFolder", findings.workingFolder);
    JsonName(out, "firstArgument");
    if (findings.hasArgument)
        AppendJsonString(out, findings.firstArgument);
    else
        out += "null";
    JsonField(out, "mode", ModeName(findings.mode));
    if (findings.looksAtFolder) {
        JsonName(out, "javaFolder");
        out += '{';
        JsonField(out, "path", findings.javaFolder.path);
        JsonField(out, "kind", FolderKindToken(findings.javaFolder.kind));
        out += '}';
    }
    if (findings.looksAtJavaHome) {
        JsonRegistry(out, "javaHome64", findings.javaHome64);
        JsonRegistry(out, "javaHome32", findings.javaHome32);
    }
    if (findings.looksAtExecutable) {
        JsonRegistry(out, "executavel64", findings.executable64);
        JsonRegistry(out, "executavel32", findings.executable32);
        JsonName(out, "executavelOnlyInUnreadView");
        out += OnlyInThirtyTwoBitView(findings) ? "true" : "false";
    }
    // Null whenever nothing is started: no command line is ever run then.
    JsonName(out, "commandLine");
    if (findings.startAsked)
        AppendJsonString(out, findings.commandLine);
    else
        out += "null";
    JsonName(out, "workingDirectory");
    if (findings.startAsked)
        AppendJsonString(out, findings.workingDirectory);
    else
        out += "null";
    if (!findings.shortNames.empty()) {
        JsonName(out, "shortNames");
        for (const AnsiString& shortName : findings.shortNames) {
            out += &shortName == &findings.shortNames[0] ? '[' : ',';
            AppendJsonString(out, shortName);
        }
        out += ']';
    }
    if (findings.programExamined) {
        JsonName(out, "program");
        out += '{';
        JsonField(out, "path", findings.program.path);
        JsonField(out, "state", ProgramStateToken(findings.program.state));
        if (findings.program.foundIn) JsonField(out, "foundIn", findings.program.foundIn);
        if (findings.program.state == ProgramFinding::State::NotAProgram)
            JsonField(out, "defect", findings.program.defect);
        if (findings.program.state == ProgramFinding::State::Runs ||
            findings.program.state == ProgramFinding::State::OtherMachine)
            JsonField(out, "machine", MachineName(findings.program.machine));
        JsonField(out, "system", ArchitectureName(findings.program.nativeSystem));
        out += '}';
    }
    if (findings.verdict == Verdict::Abnormal) {
        JsonField(out, "abnormalValue", findings.abnormalValue);
        JsonField(out, "abnormalType", RegistryTypeName(findings.abnormalType));
        JsonField(out, "abnormalView", findings.abnormalIn64BitView ? "64-bit" : "32-bit");
    }
    JsonField(out, "verdict", VerdictName(findings.verdict));
    JsonName(out, "code");
    if (findings.codeKnown)
        out += std::to_string(findings.code);
    else
        out += "null";
    JsonField(out, "reason", findings.reason);
    if (findings.looksElsewhere) {
        JsonName(out, "runtimesElsewhere");
        out += '[';
        for (const RuntimeElsewhere& runtime : findings.runtimesElsewhere) {
            out += &runtime == &findings.runtimesElsewhere[0] ? "{" : ",{";
            JsonField(out, "registryKey", ToAnsiString(runtime.registryKey));
            JsonField(out, "valueName", ToAnsiString(UnicodeString(runtime.valueName)));
            JsonField(out, "view", RegistryViewName(runtime.view));
            JsonField(out, "kind", runtime.jdk ? "JDK" : "JRE");
            JsonField(out, "version", ToAnsiString(runtime.version));
            JsonField(out, "path", ToAnsiString(runtime.folder));
            if (runtime.programExamined && runtime.program.machine != 0)
                JsonField(out, "machine", MachineName(runtime.program.machine));
            JsonName(out, "usable");
            out += runtime.usable ? "true" : "false";
            if (!runtime.usable) JsonField(out, "whyNotUsable", runtime.whyNotUsable);
            out += '}';
        }
        out += ']';
    }
    JsonName(out, "warnings");
    out += '[';
    for (const StartWarning& warning : findings.warnings) {
        out += &warning == &findings.warnings[0] ? "{" : ",{";
        JsonField(out, "kind", warning.kind);
        JsonField(out, "text", warning.text);
        out += '}';
    }
    out += ']';
    const RegistryFix& fix = findings.registryFix;
    if (fix.asked) {
        JsonName(out, "regFix");
        out += '{';
        JsonField(out, "file", ToAnsiString(fix.file));
        JsonName(out, "written");
        out += fix.written ? "true" : "false";
        if (fix.written) {
            JsonField(out, "javaHome", ToAnsiString(findings.runtimesElsewhere[fix.chosen].folder));
            JsonField(out, "from",
                      ToAnsiString(findings.runtimesElsewhere[fix.chosen].registryKey));
            JsonField(out, "rule", kRegistryFixRule);
        } else {
            JsonField(out, "reason", fix.reason);
        }
        out += '}';
    }
    out += "}\n";
    return AnsiString(out.data(), static_cast<int>(out.size()));
}
