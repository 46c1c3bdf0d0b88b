#include "check/start_warnings.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "check/read_only_file.h"
#include "platform/windows_api.h"
#include "text/conversion.h"
#include "text/format.h"

namespace {
const char kArchiveOption[] = "-jar \"";
const char kHeapOption[] = " -Xmx1024m ";
const char kJavaVersionKey[] = "JAVA_VERSION=\"";
// A `release` file is a few hundred bytes; more is not one.
const long long kLongestReleaseFile = 64 * 1024;

void Warn(std::vector<StartWarning>& warnings, const char* kind, const AnsiString& text)
{
    StartWarning warning;
    warning.kind = kind;
    warning.text = text;
    warnings.push_back(warning);
}

// The archive as the command line gives it to Java: the quoted item after -jar.
bool ArchiveOf(const AnsiString& commandLine, std::string& archive)
{
    const char* found = std::strstr(commandLine.CStr(), kArchiveOption);
    if (!found) return false;
    found += sizeof kArchiveOption - 1;
    const char* end = std::strchr(found, '"');
    if (!end) return false;
    archive.assign(found, end);
    return true;
}

// Java reports "Unable to access jarfile" for an archive it cannot open and read.
void CheckArchive(const Findings& findings, std::vector<StartWarning>& warnings)
{
    std::string archive;
    if (!ArchiveOf(findings.commandLine, archive)) return;
    const AnsiString path(archive.c_str());
    const ReadOnlyFile file(path);
    char start[4];
    if (file.IsOpen() && file.IsDiskFile() && file.ReadAt(0, start, sizeof start)) return;
    AnsiString text;
    if (!file.IsOpen() &&
        Windows().GetFileAttributesW(ToUnicodeString(path).CStr()) == INVALID_FILE_ATTRIBUTES) {
        FormatText(text,
                   "the archive %s is not there: Java would report \"Unable to access "
                   "jarfile\"",
                   path.CStr());
        Warn(warnings, "archive-missing", text);
        return;
    }
    FormatText(text,
               "the archive %s cannot be read (a folder, no read permission, or empty): "
               "Java would report \"Unable to access jarfile\"",
               path.CStr());
    Warn(warnings, "archive-unreadable", text);
}

// The folder two levels above the program (<runtime>\bin\Javaw.exe), with a separator.
bool RuntimeFolderOf(const AnsiString& program, std::string& folder)
{
    folder = program.CStr();
    for (int level = 0; level < 2; ++level) {
        const std::size_t separator = folder.find_last_of('\\');
        if (separator == std::string::npos || separator == 0) return false;
        folder.resize(separator);
    }
    folder += '\\';
    return true;
}

// JAVA_VERSION of the runtime's `release` file: "1.8.0_401", "17.0.2"; empty when not told.
std::string ReleaseJavaVersion(const std::string& runtimeFolder)
{
    const ReadOnlyFile file(AnsiString((runtimeFolder + "release").c_str()));
    const long long size = file.IsOpen() && file.IsDiskFile() ? file.Size() : -1;
    if (size <= 0 || size > kLongestReleaseFile) return std::string();
    std::string content(static_cast<std::size_t>(size), '\0');
    if (!file.ReadAt(0, &content[0], static_cast<unsigned>(size))) return std::string();
    for (std::size_t line = 0; line < content.size();) {
        const std::size_t end = content.find('\n', line);
        const std::string text = content.substr(line, end - line);
        if (text.compare(0, sizeof kJavaVersionKey - 1, kJavaVersionKey) == 0) {
            const std::size_t close = text.find('"', sizeof kJavaVersionKey - 1);
            if (close != std::string::npos)
                return text.substr(sizeof kJavaVersionKey - 1,
                                   close - (sizeof kJavaVersionKey - 1));
        }
        if (end == std::string::npos) break;
        line = end + 1;
    }
    return std::string();
}

void CheckJavaVersion(const Findings& findings, std::vector<StartWarning>& warnings)
{
    std::string folder;
    if (!RuntimeFolderOf(findings.program.path, folder)) return;
    const std::string version = ReleaseJavaVersion(folder);
    // Java 8 calls itself 1.8; every later Java starts with its own number.
    if (version.empty() || version.compare(0, 4, "1.8.") == 0 || version == "1.8") return;
    std::string shown;
    for (const char unit : version) shown += static_cast<unsigned char>(unit) < 0x20 ? '?' : unit;
    AnsiString text;
    FormatText(text,
               "the runtime's release file says JAVA_VERSION=\"%s\": the application is "
               "made for Java 8",
               shown.c_str());
    Warn(warnings, "not-java-8", text);
}
}  // namespace

std::vector<StartWarning> FindStartWarnings(const Findings& findings)
{
    std::vector<StartWarning> warnings;
    if (findings.verdict != Verdict::Start) return warnings;
    CheckArchive(findings, warnings);
    // A batch file tells nothing of the runtime it starts.
    if (findings.program.state != ProgramFinding::State::Runs) return warnings;
    CheckJavaVersion(findings, warnings);
    if (findings.program.machine == IMAGE_FILE_MACHINE_I386 &&
        std::strstr(findings.commandLine.CStr(), kHeapOption))
        Warn(warnings, "heap-on-32-bit",
             AnsiString("a 32-bit runtime is given -Xmx1024m, a heap it often cannot reserve in "
                        "one piece: the Java virtual machine then refuses to start; use a 64-bit "
                        "Java 8"));
    return warnings;
}
