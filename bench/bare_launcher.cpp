// The least any launcher can cost: starts the command line that follows its own
// program name, hidden and inheriting handles as the launcher does, and waits
// for it. A refused start shows the launcher's box, with user32 bound only then,
// so that the usual start loads nothing beyond what the C runtime loads.
#include <windows.h>

namespace {
char* AfterProgramName(char* line)
{
    if (*line == '"') {
        ++line;
        while (*line != '\0' && *line != '"') ++line;
        if (*line == '"') ++line;
    } else {
        while (*line != '\0' && *line != ' ' && *line != '\t') ++line;
    }
    while (*line == ' ' || *line == '\t') ++line;
    return line;
}

void ShowRefusal(DWORD error)
{
    char text[64] = "Erro ";
    char digits[16];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + error % 10);
        error /= 10;
    } while (error != 0);
    char* at = text + 5;
    while (count > 0) *at++ = digits[--count];
    lstrcpyA(at, " ao executar o aplicativo.");

    using MessageBoxFunction = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
    HMODULE user32 = ::LoadLibraryExA("user32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!user32) return;
    auto messageBox = reinterpret_cast<MessageBoxFunction>(
        reinterpret_cast<void (*)()>(::GetProcAddress(user32, "MessageBoxA")));
    if (messageBox) messageBox(nullptr, text, "Erro", MB_ICONERROR | MB_OK);
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char* commandLine = AfterProgramName(::GetCommandLineA());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &started)) {
        ShowRefusal(::GetLastError());
        return 0;
    }
    ::WaitForSingleObject(started.hProcess, INFINITE);
    ::CloseHandle(started.hProcess);
    ::CloseHandle(started.hThread);
    return 0;
}
