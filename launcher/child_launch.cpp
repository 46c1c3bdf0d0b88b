#include "launcher/child_launch.h"

#include <cstring>

#include "platform/windows_api.h"
#include "text/format.h"

static_assert(sizeof(STARTUPINFOA) == 68, "the start record is 68 bytes on 32-bit Windows");

namespace {
// Owns the two handles of a started child from the moment the start returns;
// closes the process handle first, then the thread handle.
class ChildProcess {
public:
    explicit ChildProcess(const PROCESS_INFORMATION& started)
        : process_(started.hProcess), thread_(started.hThread)
    {
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess()
    {
        Windows().CloseHandle(process_);
        Windows().CloseHandle(thread_);
    }

    HANDLE Process() const { return process_; }

private:
    HANDLE process_;
    HANDLE thread_;
};
}  // namespace

int LaunchChild(const LaunchPlan& plan)
{
    WindowsApi& api = Windows();
    api.SetCurrentDirectoryA(plan.WorkingDirectory.CStr());

    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;

    PROCESS_INFORMATION started;
    std::memset(&started, 0, sizeof started);

    // The platform may write into the command line, so it gets a copy of its own.
    AnsiString commandLine = plan.CommandLine;
    char empty[1] = {};
    char* writable = commandLine.IsEmpty() ? empty : commandLine.Data();

    if (!api.CreateProcessA(nullptr, writable, nullptr, nullptr, TRUE, 0, nullptr,
                            plan.WorkingDirectory.CStr(), &startup, &started)) {
        ReportLaunchFailure(api.GetLastError());
        return 0;
    }
    ChildProcess child(started);
    api.WaitForSingleObject(child.Process(), INFINITE);
    return 0;
}

void ReportLaunchFailure(DWORD errorCode)
{
    AnsiString message;
    FormatText(message, "Erro %d ao executar o aplicativo.", static_cast<int>(errorCode));
    Windows().MessageBoxA(nullptr, message.CStr(), "Erro", MB_ICONERROR | MB_OK);
}
