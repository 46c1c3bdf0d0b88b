#include "launcher/entry.h"

#include <windows.h>

#include "launcher/child_launch.h"
#include "launcher/launch_plan.h"
#include "platform/kernel32_function.h"
#include "platform/windows_api.h"
#include "text/code_page.h"

namespace {
// GetModuleFileNameA's buffer for the caption: a longer path is cut to fit.
const DWORD kModulePathSize = 128;
const UINT kAbnormalTerminationBox = MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND;
const UINT kAbnormalExitStatus = 3;

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

void RestrictDllSearchToSystem32()
{
    // Looked up at run time: Windows Vista and 7 have it only with a later
    // update, and the launcher runs there all the same without it.
    FARPROC found = Kernel32Function("SetDefaultDllDirectories");
    if (!found) return;
    auto setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void (*)()>(found));
    setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
}  // namespace

const char* CaptionOfPath(const char* path, unsigned codePage)
{
    const char* afterBackslash = nullptr;
    const char* afterColon = nullptr;
    for (const char* at = path; *at != '\0';) {
        if (*at == '\\') {
            afterBackslash = at + 1;
        } else if (*at == ':') {
            afterColon = at + 1;
        }
        // A lead byte whose trail was cut off by the end of the text stands
        // alone, so the step never passes the terminator.
        const bool pair =
            Windows().IsDBCSLeadByteEx(codePage, static_cast<BYTE>(*at)) && at[1] != '\0';
        at += pair ? 2 : 1;
    }
    if (afterBackslash) return afterBackslash;
    if (afterColon) return afterColon;
    return path;
}

void TerminateAbnormally()
{
    WindowsApi& api = Windows();
    char path[kModulePathSize];
    DWORD length = api.GetModuleFileNameA(nullptr, path, kModulePathSize);
    // Older systems fill the whole buffer with a cut path and no terminator.
    if (length >= kModulePathSize) length = kModulePathSize - 1;
    path[length] = '\0';
    api.MessageBoxA(nullptr, "Abnormal program termination", CaptionOfPath(path, AnsiCodePage()),
                    kAbnormalTerminationBox);
    // At once: no exit routine and no library finalisation runs on this path.
    api.ExitProcess(kAbnormalExitStatus);
    // The call through the seam hides its own [[noreturn]] from the compiler.
    __builtin_unreachable();
}

void HardenProcess()
{
    // A subsystem-4.0 image is not ended on heap corruption unless it asks.
    Windows().HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);
    // Before anything can load a library on demand (a message box loads
    // theming libraries): one planted beside the program is never loaded.
    RestrictDllSearchToSystem32();
}

// The parameters are not read: the arguments come again from the wide command
// line, and the child is always started hidden.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HardenProcess();
    try {
        LaunchChild(ResolveLaunchPlan());
    } catch (...) {
        TerminateAbnormally();
    }
    return 0;
}
