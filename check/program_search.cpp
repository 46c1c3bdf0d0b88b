#include "check/program_search.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/arguments.h"
#include "platform/windows_api.h"
#include "text/conversion.h"
#include "text/format.h"

namespace {
// A path the platform hands over through a buffer: asks for the size, then fills it.
template <typename Query>
AnsiString Queried(Query query)
{
    const unsigned needed = query(nullptr, 0u);
    if (needed == 0) return AnsiString();
    std::vector<char> buffer(needed + 1);
    const unsigned written = query(buffer.data(), needed + 1);
    return written == 0 || written > needed ? AnsiString() : AnsiString(buffer.data(), written);
}

// This program's own folder, which the launcher's is taken to be.
AnsiString ModuleFolder()
{
    const AnsiString path = ToAnsiString(ArgumentAt(0));
    const char* slash = std::strrchr(path.CStr(), '\\');
    return slash ? AnsiString(path.CStr(), static_cast<int>(slash - path.CStr())) : AnsiString();
}

AnsiString Variable(const char* name, bool& present)
{
    const DWORD needed = Windows().GetEnvironmentVariableA(name, nullptr, 0);
    present = needed != 0;
    if (needed <= 1) return AnsiString();
    std::vector<char> buffer(needed);
    const DWORD written = Windows().GetEnvironmentVariableA(name, buffer.data(), needed);
    return written == 0 || written >= needed ? AnsiString()
                                             : AnsiString(buffer.data(), static_cast<int>(written));
}

AnsiString Joined(const AnsiString& folder, const AnsiString& name)
{
    AnsiString path;
    const bool separated = folder.IsEmpty() || folder[folder.Length() - 1] == '\\' ||
                           folder[folder.Length() - 1] == '/';
    FormatText(path, "%s%s%s", folder.CStr(), separated ? "" : "\\", name.CStr());
    return path;
}

// A directory counts as found too: the start stops there and fails, as it does.
bool Exists(const AnsiString& path)
{
    return Windows().GetFileAttributesW(ToUnicodeString(path).CStr()) != INVALID_FILE_ATTRIBUTES;
}

// The start makes the working directory current first, so a relative program
// is found from there; one from the drive's root on that directory's drive.
AnsiString AsStarted(const AnsiString& program, const AnsiString& workingDirectory)
{
    const char* path = program.CStr();
    if (program.Length() >= 2 && (path[1] == ':' || (path[0] == '\\' && path[1] == '\\')))
        return program;
    if (path[0] == '\\' && workingDirectory.Length() >= 2) {
        AnsiString full;
        FormatText(full, "%s%s", AnsiString(workingDirectory.CStr(), 2).CStr(), path);
        return full;
    }
    return Joined(workingDirectory, program);
}

struct Place {
    AnsiString folder;
    const char* name;
};
}  // namespace

ProgramLocation LocateProgram(const AnsiString& program, const AnsiString& workingDirectory)
{
    ProgramLocation location;
    AnsiString name = program;
    // The start adds ".exe" to a name that has no extension.
    const char* last = std::strrchr(name.CStr(), '\\');
    if (!std::strchr(last ? last : name.CStr(), '.')) AppendFormattedText(name, ".exe");
    location.bareName = std::strpbrk(program.CStr(), "\\/:") == nullptr;
    if (!location.bareName) {
        location.path = AsStarted(name, workingDirectory);
        return location;
    }

    std::vector<Place> places;
    places.push_back({ModuleFolder(), "the launcher's folder"});
    // This variable, whatever its value, takes the current directory out of the search.
    bool noCurrentDirectory = false;
    Variable("NoDefaultCurrentDirectoryInExePath", noCurrentDirectory);
    if (!noCurrentDirectory) places.push_back({workingDirectory, "the working directory"});
    const AnsiString system = Queried(
        [](char* buffer, unsigned size) { return Windows().GetSystemDirectoryA(buffer, size); });
    const AnsiString windows = Queried(
        [](char* buffer, unsigned size) { return Windows().GetWindowsDirectoryA(buffer, size); });
    places.push_back({system, "the system folder"});
    if (!windows.IsEmpty())
        places.push_back({Joined(windows, AnsiString("System")), "the 16-bit system folder"});
    places.push_back({windows, "the Windows folder"});
    bool pathSet = false;
    const AnsiString searchPath = Variable("PATH", pathSet);
    const char* entry = searchPath.CStr();
    while (*entry) {
        const std::size_t length = std::strcspn(entry, ";");
        if (length > 0)
            places.push_back({AnsiString(entry, static_cast<int>(length)), "a folder on PATH"});
        entry += length;
        if (*entry) ++entry;
    }

    for (const Place& place : places) {
        if (place.folder.IsEmpty()) continue;
        const AnsiString candidate = Joined(place.folder, name);
        if (Exists(candidate)) {
            location.path = candidate;
            location.foundIn = place.name;
            return location;
        }
    }
    location.path = Joined(workingDirectory, name);
    return location;
}
