#include "check/report_output.h"

#include <windows.h>

#include "platform/windows_api.h"
#include "text/ansi_string.h"

namespace {
// Older consoles refuse one write of much more than 64 KiB.
const int kConsoleChunk = 8192;

bool IsConsole(HANDLE output)
{
    DWORD mode = 0;
    return Windows().GetFileType(output) == FILE_TYPE_CHAR &&
           Windows().GetConsoleMode(output, &mode);
}

bool WriteToConsole(HANDLE console, const UnicodeString& text)
{
    const wchar_t* units = text.CStr();
    int left = text.Length();
    while (left > 0) {
        int chunk = left < kConsoleChunk ? left : kConsoleChunk;
        // A surrogate pair stays in one write.
        if (chunk < left && units[chunk - 1] >= 0xD800 && units[chunk - 1] <= 0xDBFF) --chunk;
        DWORD written = 0;
        if (!Windows().WriteConsoleW(console, units, static_cast<DWORD>(chunk), &written,
                                     nullptr) ||
            written == 0)
            return false;
        units += written;
        left -= static_cast<int>(written);
    }
    return true;
}

// UTF-8 holds every name, where the ANSI code page would lose some.
AnsiString Utf8(const UnicodeString& text)
{
    AnsiString bytes;
    if (text.IsEmpty()) return bytes;
    WindowsApi& api = Windows();
    const int n = api.WideCharToMultiByte(CP_UTF8, 0, text.CStr(), text.Length(), nullptr, 0,
                                          nullptr, nullptr);
    if (n <= 0) return bytes;
    bytes.Resize(n);
    const int written = api.WideCharToMultiByte(CP_UTF8, 0, text.CStr(), text.Length(),
                                                bytes.Data(), n, nullptr, nullptr);
    bytes.Resize(written);
    return bytes;
}

bool WriteBytes(HANDLE output, const AnsiString& text)
{
    const char* bytes = text.CStr();
    int left = text.Length();
    while (left > 0) {
        DWORD written = 0;
        if (!Windows().WriteFile(output, bytes, static_cast<DWORD>(left), &written, nullptr) ||
            written == 0)
            return false;
        bytes += written;
        left -= static_cast<int>(written);
    }
    return true;
}
}  // namespace

bool WriteReport(const UnicodeString& report)
{
    const HANDLE output = Windows().GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE) return false;
    // The console shows bytes in its own (OEM) code page: "Produção" would
    // come out garbled. Wide text it shows as is.
    if (IsConsole(output)) return WriteToConsole(output, report);
    return WriteBytes(output, Utf8(report));
}
