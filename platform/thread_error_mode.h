// The calling thread's error mode, set to fail critical errors for a scope.
#pragma once

#include <windows.h>

// While it lives, the calling thread fails critical errors instead of letting
// the system ask the user (an empty drive, removed media); the thread's
// previous mode is put back when it goes. Does nothing where the platform
// lacks SetThreadErrorMode (before Windows 7). The process's error mode, which
// a child inherits, is never touched. Never throws.
class ThreadErrorModeScope {
public:
    ThreadErrorModeScope();
    ThreadErrorModeScope(const ThreadErrorModeScope&) = delete;
    ThreadErrorModeScope& operator=(const ThreadErrorModeScope&) = delete;
    ~ThreadErrorModeScope();

private:
    using SetThreadErrorModeFunction = BOOL(WINAPI*)(DWORD, LPDWORD);

    SetThreadErrorModeFunction set_ = nullptr;
    DWORD previous_ = 0;
};
