#include "platform/kernel32_function.h"

#include "platform/windows_api.h"

FARPROC Kernel32Function(const char* name)
{
    WindowsApi& api = Windows();
    HMODULE kernel = api.GetModuleHandleW(L"kernel32.dll");
    return kernel ? api.GetProcAddress(kernel, name) : nullptr;
}
