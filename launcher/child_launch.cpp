#include "launcher/child_launch.h"

#include <cstring>

#include "platform/thread_error_mode.h"
#include "platform/windows_api.h"
#include "platform/windows_handles.h"
#include "text/format.h"

static_assert(sizeof(STARTUPINFOA) == 68, "the start record is 68 bytes on 32-bit Windows");

namespace {
// Owns the two handles of a started child from the moment the start returns;
// closes the process handle first, then the thread handle. The empty owner
// holds neither.
class ChildProcess {
public:
    ChildProcess() = default;
    explicit ChildProcess(const PROCESS_INFORMATION& started)
        : process_(started.hProcess), thread_(started.hThread)
    {
    }
    // Members would go in reverse order, the thread handle first.
    ~ChildProcess()
    {
        process_.Reset();
        thread_.Reset();
    }

    bool IsEmpty() const { return process_.IsEmpty(); }
    HANDLE Process() const { return process_.Get(); }

private:
    UniqueObjectHandle process_;
    UniqueObjectHandle thread_;
};

// Makes the plan's directory current and starts the child hidden there;
// returns its owner, or the empty owner with the platform's reason in
// `refusal`. A drive without a medium fails here instead of asking the user.
ChildProcess StartChild(const LaunchPlan& plan, DWORD& refusal)
{
    WindowsApi& api = Windows();
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

    const ThreadErrorModeScope failCriticalErrors;
    api.SetCurrentDirectoryA(plan.WorkingDirectory.CStr());
    if (!api.CreateProcessA(nullptr, writable, nullptr, nullptr, TRUE, 0, nullptr,
                            plan.WorkingDirectory.CStr(), &startup, &started)) {
        refusal = api.GetLastError();
        return ChildProcess();
    }
    return ChildProcess(started);
}
}  // namespace

int LaunchChild(const LaunchPlan& plan)
{
    DWORD refusal = plan.RefusalCode;
    if (refusal == ERROR_SUCCESS) {
        const ChildProcess child = StartChild(plan, refusal);
        if (!child.IsEmpty()) {
            Windows().WaitForSingleObject(child.Process(), INFINITE);
            return 0;
        }
    }
    ReportLaunchFailure(refusal);
    return 0;
}

void ReportLaunchFailure(DWORD errorCode)
{
    AnsiString message;
    FormatText(message, "Erro %d ao executar o aplicativo.", static_cast<int>(errorCode));
    Windows().MessageBoxA(nullptr, message.CStr(), "Erro", MB_ICONERROR | MB_OK);
}
