#include "text/conversion.h"

#include "platform/windows_api.h"
#include "text/code_page.h"

AnsiString ToAnsiString(const UnicodeString& wide)
{
    AnsiString narrow;
    if (wide.IsEmpty()) return narrow;
    WindowsApi& api = Windows();
    // n may exceed the number of code units in a double-byte code page.
    const int n = api.WideCharToMultiByte(AnsiCodePage(), 0, wide.CStr(), wide.Length(), nullptr, 0,
                                          nullptr, nullptr);
    if (n <= 0) return narrow;
    narrow.Resize(n);
    const int written = api.WideCharToMultiByte(AnsiCodePage(), 0, wide.CStr(), wide.Length(),
                                                narrow.Data(), n, nullptr, nullptr);
    narrow.Resize(written);
    return narrow;
}

UnicodeString ToUnicodeString(const AnsiString& narrow)
{
    UnicodeString wide;
    if (narrow.IsEmpty()) return wide;
    WindowsApi& api = Windows();
    const int n =
        api.MultiByteToWideChar(AnsiCodePage(), 0, narrow.CStr(), narrow.Length(), nullptr, 0);
    if (n <= 0) return wide;
    wide.Resize(n);
    const int written =
        api.MultiByteToWideChar(AnsiCodePage(), 0, narrow.CStr(), narrow.Length(), wide.Data(), n);
    wide.Resize(written);
    return wide;
}
