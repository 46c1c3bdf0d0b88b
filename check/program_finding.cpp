#include "check/program_finding.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "check/image_format.h"
#include "check/program_search.h"
#include "check/read_only_file.h"
#include "platform/kernel32_function.h"
#include "text/conversion.h"

namespace {
using GetNativeSystemInfoFunction = void(WINAPI*)(LPSYSTEM_INFO);

UnicodeString FirstItem(const UnicodeString& commandLine)
{
    const wchar_t* line = commandLine.CStr();
    if (*line == L'"') {
        const wchar_t* end = std::wcschr(line + 1, L'"');
        return UnicodeString(line + 1, end ? static_cast<int>(end - line - 1)
                                           : static_cast<int>(std::wcslen(line + 1)));
    }
    return UnicodeString(line, static_cast<int>(std::wcscspn(line, L" \t")));
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

// Whether `text` is `lower` in any letter case; `lower` is lower-case ASCII.
bool EqualsIgnoringCase(const wchar_t* text, const char* lower)
{
    for (; *lower; ++text, ++lower) {
        const wchar_t unit = *text >= L'A' && *text <= L'Z' ? *text + 32 : *text;
        if (unit != static_cast<wchar_t>(*lower)) return false;
    }
    return *text == 0;
}

// The start hands a file with either extension to the command interpreter.
bool IsBatchFile(const UnicodeString& path)
{
    const wchar_t* dot = std::wcsrchr(path.CStr(), L'.');
    return dot && (EqualsIgnoringCase(dot, ".bat") || EqualsIgnoringCase(dot, ".cmd"));
}
}  // namespace

ProgramFinding ExamineProgram(const UnicodeString& commandLine,
                              const UnicodeString& workingDirectory)
{
    using State = ProgramFinding::State;
    ProgramFinding finding;
    finding.name = FirstItem(commandLine);
    const ProgramLocation location = LocateProgram(finding.name, workingDirectory);
    finding.path = location.path;
    finding.bareName = location.bareName;
    finding.foundIn = location.foundIn;
    finding.nativeSystem = NativeArchitecture();
    if (finding.path.IsEmpty()) return finding;
    const ReadOnlyFile file(finding.path);
    if (!file.IsOpen()) return finding;
    finding.state = State::NotAProgram;
    // A device or a pipe is never read: a console or a pipe would wait for input.
    if (!file.IsDiskFile()) {
        finding.defect = UnicodeString(L"a device or a pipe, not a file");
        return finding;
    }
    if (IsBatchFile(finding.path)) {
        finding.state = State::Script;
        return finding;
    }
    const ImageFormat image = ExamineImage(file);
    finding.machine = image.machine;
    if (!image.startsAsProcess) {
        finding.defect = ToUnicodeString(image.defect);
        return finding;
    }
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
