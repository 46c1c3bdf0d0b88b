// The Java runtime as the bench starts it: ends at once with status 0. With
// BENCH_STANDIN_SLEEP_MS set it sleeps that long first (the memory figures are
// taken while it sleeps); with BENCH_STANDIN_RECORD set it appends its command
// line to that file, so the bench can check that both launchers start the same.
#include <windows.h>

#include <cwchar>

namespace {
// Returns whether the variable is set and fits `buffer` of MAX_PATH units.
bool ReadEnvironment(const wchar_t* name, wchar_t* buffer)
{
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH;
}

void Record(const wchar_t* path)
{
    HANDLE file = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const wchar_t* line = ::GetCommandLineW();
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(std::wcslen(line) * sizeof(wchar_t)), &written,
                nullptr);
    ::WriteFile(file, L"\n", sizeof(wchar_t), &written, nullptr);
    ::CloseHandle(file);
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    wchar_t value[MAX_PATH];
    if (ReadEnvironment(L"BENCH_STANDIN_RECORD", value)) Record(value);
    if (ReadEnvironment(L"BENCH_STANDIN_SLEEP_MS", value))
        ::Sleep(static_cast<DWORD>(std::wcstoul(value, nullptr, 10)));
    return 0;
}
