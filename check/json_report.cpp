#include "check/json_report.h"

#include <string>
#include <vector>

#include "check/program_finding.h"
#include "check/registry_finding.h"
#include "check/registry_fix.h"
#include "check/report_names.h"
#include "check/runtimes_elsewhere.h"

namespace {
// The report grows in one buffer, appended to in place: a value may be
// megabytes long, and the report is then still written in one pass.
using Json = std::string;

// JSON text in ASCII: quotes, backslashes, control and non-ASCII characters
// escaped, each UTF-16 unit of the text as written on its own (a character
// beyond the BMP as its two surrogates).
void AppendJsonString(Json& out, const UnicodeString& wide)
{
    static const char kDigits[] = "0123456789abcdef";
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

void JsonField(Json& out, const char* name, const UnicodeString& value)
{
    JsonName(out, name);
    AppendJsonString(out, value);
}

// The program's own words and tokens, all ASCII.
void JsonField(Json& out, const char* name, const char* value)
{
    JsonName(out, name);
    out += '"';
    out += value;
    out += '"';
}

void JsonNull(Json& out, const char* name)
{
    JsonName(out, name);
    out += "null";
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
    JsonField(out, "computerName", context.computerName);
    JsonField(out, "windowsVersion",
              (std::to_string(context.windowsMajor) + "." + std::to_string(context.windowsMinor))
                  .c_str());
    JsonNumber(out, "windowsBuild", context.windowsBuild);
    JsonField(out, "architecture", context.architecture);
    JsonNumber(out, "ansiCodePage", context.ansiCodePage);
    JsonNumber(out, "oemCodePage", context.oemCodePage);
    out += '}';
}
}  // namespace

UnicodeString JsonReport(const Findings& findings)
{
    Json out = "{";
    JsonContext(out, findings.context);
    if (findings.shortcut) {
        const ShortcutFinding& shortcut = *findings.shortcut;
        JsonName(out, "shortcut");
        out += '{';
        JsonField(out, "file", shortcut.file);
        JsonField(out, "target", shortcut.target);
        JsonField(out, "arguments", shortcut.arguments);
        JsonField(out, "startIn", shortcut.startIn);
        JsonName(out, "targetIsLauncher");
        out += shortcut.targetsLauncher ? "true" : "false";
        out += '}';
    }
    JsonField(out, "workingFolder", findings.workingFolder);
    if (findings.firstArgument)
        JsonField(out, "firstArgument", *findings.firstArgument);
    else
        JsonNull(out, "firstArgument");
    JsonField(out, "mode", ModeName(findings.mode));
    if (findings.javaFolder) {
        JsonName(out, "javaFolder");
        out += '{';
        JsonField(out, "path", findings.javaFolder->path);
        JsonField(out, "kind", FolderKindToken(findings.javaFolder->kind));
        out += '}';
    }
    if (findings.javaHome) {
        JsonRegistry(out, "javaHome64", findings.javaHome->view64);
        JsonRegistry(out, "javaHome32", findings.javaHome->view32);
    }
    if (findings.executable) {
        JsonRegistry(out, "executavel64", findings.executable->view64);
        JsonRegistry(out, "executavel32", findings.executable->view32);
        JsonName(out, "executavelOnlyInUnreadView");
        out += OnlyInThirtyTwoBitView(findings) ? "true" : "false";
    }
    // Null whenever nothing is started: no command line is ever run then.
    if (findings.start) {
        JsonField(out, "commandLine", findings.start->commandLine);
        JsonField(out, "workingDirectory", findings.start->workingDirectory);
    } else {
        JsonNull(out, "commandLine");
        JsonNull(out, "workingDirectory");
    }
    if (!findings.shortNames.empty()) {
        JsonName(out, "shortNames");
        for (const ShortName& shortName : findings.shortNames) {
            out += &shortName == &findings.shortNames[0] ? "[{" : ",{";
            JsonField(out, "path", shortName.written);
            JsonField(out, "shortPath", shortName.given);
            out += '}';
        }
        out += ']';
    }
    if (findings.program) {
        const ProgramFinding& program = *findings.program;
        JsonName(out, "program");
        out += '{';
        JsonField(out, "name", program.name);
        if (program.path.IsEmpty())
            JsonNull(out, "path");
        else
            JsonField(out, "path", program.path);
        JsonField(out, "state", ProgramStateToken(program.state));
        if (program.foundIn) JsonField(out, "foundIn", program.foundIn);
        if (program.state == ProgramFinding::State::NotAProgram)
            JsonField(out, "defect", program.defect);
        if (program.state == ProgramFinding::State::Runs ||
            program.state == ProgramFinding::State::OtherMachine)
            JsonField(out, "machine", MachineName(program.machine));
        JsonField(out, "system", ArchitectureName(program.nativeSystem));
        out += '}';
    }
    if (findings.abnormal) {
        JsonField(out, "abnormalValue", findings.abnormal->name);
        JsonField(out, "abnormalType", RegistryTypeName(findings.abnormal->type));
        JsonField(out, "abnormalView", findings.abnormal->in64BitView ? "64-bit" : "32-bit");
    }
    JsonField(out, "verdict", VerdictName(findings.verdict));
    JsonName(out, "code");
    if (findings.code)
        out += std::to_string(*findings.code);
    else
        out += "null";
    JsonField(out, "reason", findings.reason);
    if (findings.runtimesElsewhere) {
        const std::vector<RuntimeElsewhere>& runtimes = *findings.runtimesElsewhere;
        JsonName(out, "runtimesElsewhere");
        out += '[';
        for (const RuntimeElsewhere& runtime : runtimes) {
            out += &runtime == &runtimes[0] ? "{" : ",{";
            JsonField(out, "registryKey", runtime.registryKey);
            JsonField(out, "valueName", UnicodeString(runtime.valueName));
            JsonField(out, "view", RegistryViewName(runtime.view));
            JsonField(out, "kind", runtime.jdk ? "JDK" : "JRE");
            JsonField(out, "version", runtime.version);
            JsonField(out, "path", runtime.folder);
            if (runtime.program && runtime.program->machine != 0)
                JsonField(out, "machine", MachineName(runtime.program->machine));
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
    if (findings.registryFix) {
        const RegistryFix& fix = *findings.registryFix;
        JsonName(out, "regFix");
        out += '{';
        JsonField(out, "file", fix.file);
        JsonName(out, "written");
        out += fix.written ? "true" : "false";
        if (fix.written) {
            const RuntimeElsewhere& chosen = (*findings.runtimesElsewhere)[fix.chosen];
            JsonField(out, "javaHome", chosen.folder);
            JsonField(out, "from", chosen.registryKey);
            JsonField(out, "rule", kRegistryFixRule);
        } else {
            JsonField(out, "reason", fix.reason);
        }
        out += '}';
    }
    out += "}\n";
    // ASCII throughout, so each byte is its own unit.
    UnicodeString report;
    report.Resize(static_cast<int>(out.size()));
    for (std::size_t i = 0; i < out.size(); ++i) report.Data()[i] = static_cast<wchar_t>(out[i]);
    return report;
}
