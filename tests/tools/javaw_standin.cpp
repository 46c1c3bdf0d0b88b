// Stands in for the Java runtime in the end-to-end tests and the demo: records
// what it was started with, then behaves as its caller asks.
//
// Environment (inherited through the launcher from whoever started it):
//   STANDIN_RECORD     Windows path of the record file; nothing is recorded without it
//   STANDIN_SLEEP_MS   milliseconds to sleep after recording
//   STANDIN_EXIT_CODE  exit code (decimal; default 0)
//   STANDIN_CRASH      "1": end with an access violation instead
//   STANDIN_PROBE      any text, recorded as it arrives
//
// The record is UTF-8, one "key=value" line each: command_line, current_directory,
// flags, show_window, probe, process_id, started_ms; then, just before the
// stand-in ends, ended_ms. Code units below 0x20 in a value are written as
// "<XX>" so every value stays on its line.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {
std::wstring Environment(const wchar_t* name)
{
    wchar_t buffer[32768];
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, 32768);
    if (length == 0 || length >= 32768) return {};
    return std::wstring(buffer, length);
}

std::string Utf8(const std::wstring& text)
{
    std::wstring escaped;
    for (wchar_t unit : text) {
        if (unit < 0x20) {
            wchar_t hex[8];
            std::swprintf(hex, 8, L"<%02X>", static_cast<unsigned>(unit));
            escaped += hex;
        } else {
            escaped += unit;
        }
    }
    if (escaped.empty()) return {};
    const int size = ::WideCharToMultiByte(
        CP_UTF8, 0, escaped.data(), static_cast<int>(escaped.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, escaped.data(), static_cast<int>(escaped.size()), &bytes[0],
                          size, nullptr, nullptr);
    return bytes;
}

// Appends `lines` to the record file; the file is opened for each write so a
// reader sees every completed write at once.
void Append(const std::wstring& path, const std::string& lines)
{
    HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
    ::FlushFileBuffers(file);
    ::CloseHandle(file);
}

std::string Line(const char* key, const std::string& value) { return key + ("=" + value) + "\n"; }

std::string Number(unsigned long long value) { return std::to_string(value); }

LONG WINAPI EndWithFaultCode(EXCEPTION_POINTERS*) { return EXCEPTION_EXECUTE_HANDLER; }
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const std::wstring record = Environment(L"STANDIN_RECORD");
    if (!record.empty()) {
        STARTUPINFOW start = {};
        start.cb = sizeof start;
        ::GetStartupInfoW(&start);
        wchar_t directory[MAX_PATH + 1] = {};
        ::GetCurrentDirectoryW(MAX_PATH + 1, directory);
        std::string lines;
        lines += Line("command_line", Utf8(::GetCommandLineW()));
        lines += Line("current_directory", Utf8(directory));
        lines += Line("flags", Number(start.dwFlags));
        lines += Line("show_window", Number(start.wShowWindow));
        lines += Line("probe", Utf8(Environment(L"STANDIN_PROBE")));
        lines += Line("process_id", Number(::GetCurrentProcessId()));
        lines += Line("started_ms", Number(::GetTickCount64()));
        Append(record, lines);
    }

    const std::wstring sleep = Environment(L"STANDIN_SLEEP_MS");
    if (!sleep.empty()) ::Sleep(static_cast<DWORD>(std::wcstoul(sleep.c_str(), nullptr, 10)));

    if (!record.empty()) Append(record, Line("ended_ms", Number(::GetTickCount64())));

    if (Environment(L"STANDIN_CRASH") == L"1") {
        // The process ends with the fault's code, as without a debugger; Wine
        // would otherwise start one and hold the process in its crash dialog.
        ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
        ::SetUnhandledExceptionFilter(EndWithFaultCode);
        volatile int* volatile nowhere = nullptr;
        *nowhere = 0;
    }
    return static_cast<int>(std::wcstol(Environment(L"STANDIN_EXIT_CODE").c_str(), nullptr, 10));
}
