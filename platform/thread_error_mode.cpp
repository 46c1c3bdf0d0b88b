#include "platform/thread_error_mode.h"

#include "platform/kernel32_function.h"

ThreadErrorModeScope::ThreadErrorModeScope()
{
    FARPROC found = Kernel32Function("SetThreadErrorMode");
    if (!found) return;
    auto set = reinterpret_cast<SetThreadErrorModeFunction>(reinterpret_cast<void (*)()>(found));
    // Only a mode that was set is put back.
    if (set(SEM_FAILCRITICALERRORS, &previous_)) set_ = set;
}

ThreadErrorModeScope::~ThreadErrorModeScope()
{
    if (set_) set_(previous_, nullptr);
}
