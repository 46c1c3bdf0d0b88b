#include "check/start_warnings.h"

#include <windows.h>

#include <string>

#include "check/read_only_file.h"
#include "platform/windows_api.h"

namespace {
const wchar_t kArchiveOption[] = L"-jar \"";
const wchar_t kHeapOption[] = L" -Xmx1024m ";
const char kJavaVersionKey[] = "JAVA_VERSION=\"";
// A `release` file is a few hundred bytes; more is not one.
const long long kLongestReleaseFile = 64 * 1024;

std::wstring Wide(const UnicodeString& text)
{
    return std::wstring(text.CStr(), static_cast<std::size_t>(text.Length()));
}

UnicodeString AsText(const std::wstring& text)
{
    return UnicodeString(text.c_str(), static_cast<int>(text.size()));
}

void Warn(std::vector<StartWarning>& warnings, const char* kind, const std::wstring& text)
{
    StartWarning warning;
    warning.kind = kind;
    warning.text = AsText(text);
    warnings.push_back(warning);
}

// The archive as the command line gives it to Java: the quoted item after -jar.
bool ArchiveOf(const std::wstring& commandLine, std::wstring& archive)
{
    std::size_t found = commandLine.find(kArchiveOption);
    if (found == std::wstring::npos) return false;
    found += sizeof kArchiveOption / sizeof kArchiveOption[0] - 1;
    const std::size_t end = commandLine.find(L'"', found);
    if (end == std::wstring::npos) return false;
    archive = commandLine.substr(found, end - found);
    return true;
}

// Java reports "Unable to access jarfile" for an archive it cannot open and read.
void CheckArchive(const StartRequest& start, std::vector<StartWarning>& warnings)
{
    std::wstring archive;
    if (!ArchiveOf(Wide(start.commandLine), archive)) return;
    const ReadOnlyFile file(AsText(archive));
    char first[4];
    if (file.IsOpen() && file.IsDiskFile() && file.ReadAt(0, first, sizeof first)) return;
    if (!file.IsOpen() &&
        Windows().GetFileAttributesW(archive.c_str()) == INVALID_FILE_ATTRIBUTES) {
        Warn(warnings, "archive-missing",
             L"the archive " + archive +
                 L" is not there: Java would report \"Unable to access jarfile\"");
        return;
    }
    Warn(warnings, "archive-unreadable",
         L"the archive " + archive +
             L" cannot be read (a folder, no read permission, or empty): Java would report "
             L"\"Unable to access jarfile\"");
}

// The folder two levels above the program (<runtime>\bin\Javaw.exe), with a separator.
bool RuntimeFolderOf(const UnicodeString& program, std::wstring& folder)
{
    folder = Wide(program);
    for (int level = 0; level < 2; ++level) {
        const std::size_t separator = folder.find_last_of(L"\\/");
        if (separator == std::wstring::npos || separator == 0) return false;
        folder.resize(separator);
    }
    folder += L'\\';
    return true;
}

// JAVA_VERSION of the runtime's `release` file: "1.8.0_401", "17.0.2"; empty when not told.
std::string ReleaseJavaVersion(const std::wstring& runtimeFolder)
{
    const ReadOnlyFile file(AsText(runtimeFolder + L"release"));
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

void CheckJavaVersion(const ProgramFinding& program, std::vector<StartWarning>& warnings)
{
    std::wstring folder;
    if (!RuntimeFolderOf(program.path, folder)) return;
    const std::string version = ReleaseJavaVersion(folder);
    // Java 8 calls itself 1.8; every later Java starts with its own number.
    if (version.empty() || version.compare(0, 4, "1.8.") == 0 || version == "1.8") return;
    // The file's bytes are ASCII when well formed; anything else is shown as '?'.
    std::wstring shown;
    for (const char unit : version) {
        const unsigned char byte = static_cast<unsigned char>(unit);
        shown += byte < 0x20 || byte > 0x7E ? L'?' : static_cast<wchar_t>(byte);
    }
    Warn(warnings, "not-java-8",
         L"the runtime's release file says JAVA_VERSION=\"" + shown +
             L"\": the application is made for Java 8");
}
}  // namespace

std::vector<StartWarning> FindStartWarnings(const Findings& findings)
{
    std::vector<StartWarning> warnings;
    if (findings.verdict != Verdict::Start || !findings.start) return warnings;
    CheckArchive(*findings.start, warnings);
    // A batch file tells nothing of the runtime it starts.
    if (!findings.program || findings.program->state != ProgramFinding::State::Runs)
        return warnings;
    CheckJavaVersion(*findings.program, warnings);
    if (findings.program->machine == IMAGE_FILE_MACHINE_I386 &&
        Wide(findings.start->commandLine).find(kHeapOption) != std::wstring::npos)
        Warn(warnings, "heap-on-32-bit",
             L"a 32-bit runtime is given -Xmx1024m, a heap it often cannot reserve in one "
             L"piece: the Java virtual machine then refuses to start; use a 64-bit Java 8");
    return warnings;
}
