#include "check/program_finding.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/kernel32_function.h"
#include "text/format.h"

namespace {
// Enough for the DOS header, the stub and the file header of any linker's output.
const std::size_t kHeaderBytes = 4096;

using GetNativeSystemInfoFunction = void(WINAPI*)(LPSYSTEM_INFO);

AnsiString FirstItem(const AnsiString& commandLine)
{
    const char* line = commandLine.CStr();
    if (*line == '"') {
        const char* end = std::strchr(line + 1, '"');
        return AnsiString(line + 1, end ? static_cast<int>(end - line - 1)
                                        : static_cast<int>(std::strlen(line + 1)));
    }
    return AnsiString(line, static_cast<int>(std::strcspn(line, " \t")));
}

// The start makes the working directory current first, so a relative program
// is found from there; one from the drive's root on that directory's drive.
AnsiString AsStarted(const AnsiString& program, const AnsiString& workingDirectory)
{
    const char* path = program.CStr();
    AnsiString full;
    if (program.Length() >= 2 && (path[1] == ':' || (path[0] == '\\' && path[1] == '\\')))
        return program;
    if (path[0] == '\\' && workingDirectory.Length() >= 2) {
        const AnsiString drive(workingDirectory.CStr(), 2);
        FormatText(full, "%s%s", drive.CStr(), path);
        return full;
    }
    const char* separator =
        workingDirectory.Length() > 0 && workingDirectory[workingDirectory.Length() - 1] != '\\'
            ? "\\"
            : "";
    FormatText(full, "%s%s%s", workingDirectory.CStr(), separator, path);
    return full;
}

// Looked up at run time, like the launcher's other late kernel32 functions;
// without it the system is taken for the 32-bit one this program sees.
unsigned NativeArchitecture()
{
    FARPROC found = Kernel32Function("GetNativeSystemInfo");
    if (!found) return PROCESSOR_ARCHITECTURE_INTEL;
    auto getNativeSystemInfo =
        reinterpret_cast<GetNativeSystemInfoFunction>(reinterpret_cast<void (*)()>(found));
    SYSTEM_INFO info;
    std::memset(&info, 0, sizeof info);
    getNativeSystemInfo(&info);
    return info.wProcessorArchitecture;
}

bool Runs(unsigned machine, unsigned architecture)
{
    if (machine == IMAGE_FILE_MACHINE_I386) return true;
    if (machine == IMAGE_FILE_MACHINE_AMD64)
        return architecture == PROCESSOR_ARCHITECTURE_AMD64 ||
               architecture == PROCESSOR_ARCHITECTURE_ARM64;
    if (machine == IMAGE_FILE_MACHINE_ARM64) return architecture == PROCESSOR_ARCHITECTURE_ARM64;
    return false;
}

unsigned Little(const unsigned char* bytes, int count)
{
    unsigned value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

// Owns a file opened for reading by the C library, which takes the narrow
// path in the ANSI code page, as the start does.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const char* path) : file_(std::fopen(path, "rb")) {}
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ~ReadOnlyFile()
    {
        if (file_) std::fclose(file_);
    }

    bool IsOpen() const { return file_ != nullptr; }
    std::size_t Read(unsigned char* buffer, std::size_t size)
    {
        return std::fread(buffer, 1, size, file_);
    }

private:
    std::FILE* file_;
};
}  // namespace

ProgramFinding ExamineProgram(const AnsiString& commandLine, const AnsiString& workingDirectory)
{
    using State = ProgramFinding::State;
    ProgramFinding finding;
    const AnsiString program = FirstItem(commandLine);
    finding.bareName = std::strpbrk(program.CStr(), "\\/:") == nullptr;
    finding.path = AsStarted(program, workingDirectory);
    finding.nativeSystem = NativeArchitecture();
    // The start adds ".exe" to a name that has no extension.
    const char* name = std::strrchr(finding.path.CStr(), '\\');
    if (!std::strchr(name ? name : finding.path.CStr(), '.'))
        AppendFormattedText(finding.path, ".exe");
    ReadOnlyFile file(finding.path.CStr());
    if (!file.IsOpen()) return finding;
    finding.state = State::NotAProgram;
    unsigned char header[kHeaderBytes];
    const std::size_t read = file.Read(header, sizeof header);
    if (read < 0x40 || header[0] != 'M' || header[1] != 'Z') return finding;
    const unsigned pe = Little(header + 0x3C, 4);
    if (pe > read - 6 || std::memcmp(header + pe, "PE\0\0", 4) != 0) return finding;
    finding.machine = Little(header + pe + 4, 2);
    finding.state = Runs(finding.machine, finding.nativeSystem) ? State::Runs : State::OtherMachine;
    return finding;
}

const char* MachineName(unsigned machine)
{
    switch (machine) {
        case IMAGE_FILE_MACHINE_I386:
            return "x86";
        case IMAGE_FILE_MACHINE_AMD64:
            return "x64";
        case IMAGE_FILE_MACHINE_ARM64:
            return "ARM64";
        case IMAGE_FILE_MACHINE_ARMNT:
            return "ARM";
        case IMAGE_FILE_MACHINE_IA64:
            return "Itanium";
        default:
            return "another processor";
    }
}

const char* ArchitectureName(unsigned architecture)
{
    switch (architecture) {
        case PROCESSOR_ARCHITECTURE_INTEL:
            return "x86";
        case PROCESSOR_ARCHITECTURE_AMD64:
            return "x64";
        case PROCESSOR_ARCHITECTURE_ARM64:
            return "ARM64";
        default:
            return "another processor";
    }
}
