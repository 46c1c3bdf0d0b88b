#include "check/program_search.h"

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "launcher/code_page_path.h"
#include "platform/arguments.h"
#include "platform/kernel32_function.h"
#include "platform/windows_api.h"

namespace {
using NeedCurrentDirectoryFunction = BOOL(WINAPI*)(LPCWSTR);

// A path the platform hands over through a buffer: asks for the size, then fills it.
template <typename Query>
std::wstring Queried(Query query)
{
    const unsigned needed = query(nullptr, 0u);
    if (needed == 0) return std::wstring();
    std::vector<wchar_t> buffer(needed + 1);
    const unsigned written = query(buffer.data(), needed + 1);
    return written == 0 || written > needed ? std::wstring() : std::wstring(buffer.data(), written);
}

// This program's own folder, which the launcher's is taken to be.
std::wstring ModuleFolder()
{
    const UnicodeString path = ArgumentAt(0);
    int end = path.Length();
    while (end > 0 && !IsPathSeparator(path[end - 1])) --end;
    return end > 0 ? std::wstring(path.CStr(), end - 1) : std::wstring();
}

std::wstring Variable(const wchar_t* name)
{
    return Queried([name](wchar_t* buffer, unsigned size) {
        const DWORD length = Windows().GetEnvironmentVariableW(name, buffer, size);
        // Asked for the size, it counts the 0; written, it does not.
        return buffer || length == 0 ? length : length - 1;
    });
}

std::wstring Joined(const std::wstring& folder, const std::wstring& name)
{
    if (folder.empty() || IsPathSeparator(folder.back())) return folder + name;
    return folder + L'\\' + name;
}

// A directory counts as found too: the start stops there and fails, as it does.
bool Exists(const std::wstring& path)
{
    return Windows().GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The start makes the working directory current first, so a relative program
// is found from there; one from the drive's root on that directory's drive.
std::wstring AsStarted(const std::wstring& program, const std::wstring& workingDirectory)
{
    if (program.size() >= 2 &&
        (program[1] == L':' || (IsPathSeparator(program[0]) && IsPathSeparator(program[1]))))
        return program;
    if (IsPathSeparator(program[0])) return workingDirectory.substr(0, 2) + program;
    return Joined(workingDirectory, program);
}

// Whether the search for `name` includes the current directory. Windows Vista
// and later leave it out when NoDefaultCurrentDirectoryInExePath is set, and
// say so through this function; before them it is always searched.
bool SearchesCurrentDirectory(const std::wstring& name)
{
    FARPROC found = Kernel32Function("NeedCurrentDirectoryForExePathW");
    if (!found) return true;
    auto needCurrentDirectory =
        reinterpret_cast<NeedCurrentDirectoryFunction>(reinterpret_cast<void (*)()>(found));
    return needCurrentDirectory(name.c_str()) != FALSE;
}

struct Place {
    std::wstring folder;
    const char* name;
};
}  // namespace

ProgramLocation LocateProgram(const UnicodeString& program, const UnicodeString& workingDirectory)
{
    ProgramLocation location;
    std::wstring name(program.CStr(), static_cast<std::size_t>(program.Length()));
    if (name.empty()) return location;
    // The start adds ".exe" to a last component without an extension.
    std::size_t last = name.size();
    while (last > 0 && !IsPathSeparator(name[last - 1])) --last;
    if (name.find(L'.', last) == std::wstring::npos) name += L".exe";
    const std::wstring directory(workingDirectory.CStr(),
                                 static_cast<std::size_t>(workingDirectory.Length()));
    location.bareName = name.find_first_of(L"\\/:") == std::wstring::npos;
    if (!location.bareName) {
        const std::wstring path = AsStarted(name, directory);
        location.path = UnicodeString(path.c_str(), static_cast<int>(path.size()));
        return location;
    }

    std::vector<Place> places;
    places.push_back({ModuleFolder(), "the launcher's folder"});
    if (SearchesCurrentDirectory(name)) places.push_back({directory, "the working directory"});
    const std::wstring system = Queried(
        [](wchar_t* buffer, unsigned size) { return Windows().GetSystemDirectoryW(buffer, size); });
    const std::wstring windows = Queried([](wchar_t* buffer, unsigned size) {
        return Windows().GetWindowsDirectoryW(buffer, size);
    });
    places.push_back({system, "the system folder"});
    if (!windows.empty())
        places.push_back({Joined(windows, L"System"), "the 16-bit system folder"});
    places.push_back({windows, "the Windows folder"});
    const std::wstring searchPath = Variable(L"PATH");
    for (std::size_t start = 0; start < searchPath.size();) {
        std::size_t end = searchPath.find(L';', start);
        if (end == std::wstring::npos) end = searchPath.size();
        if (end > start)
            places.push_back({searchPath.substr(start, end - start), "a folder on PATH"});
        start = end + 1;
    }

    for (const Place& place : places) {
        if (place.folder.empty()) continue;
        const std::wstring candidate = Joined(place.folder, name);
        if (Exists(candidate)) {
            location.path = UnicodeString(candidate.c_str(), static_cast<int>(candidate.size()));
            location.foundIn = place.name;
            return location;
        }
    }
    // Found nowhere: no file is the one the start would run.
    return location;
}
