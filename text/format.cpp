#include "text/format.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

// The build defines __USE_MINGW_ANSI_STDIO, so vsnprintf is the C99 one that
// returns the full length when the buffer is too small; the system's own
// returns -1 there, which would make every counting pass come out empty.

namespace {
int CountFormatted(const char* format, va_list arguments)
{
    va_list copy;
    va_copy(copy, arguments);
    const int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    return n;
}
}  // namespace

// Both write into new storage that replaces the text only afterwards: a
// value may point into the text's own units, which resizing would free.

void FormatText(AnsiString& text, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int n = CountFormatted(format, arguments);
    AnsiString result;
    result.Resize(n);
    if (n > 0) std::vsnprintf(result.Data(), n + 1, format, arguments);
    va_end(arguments);
    text = std::move(result);
}

void AppendFormattedText(AnsiString& text, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int n = CountFormatted(format, arguments);
    if (n > 0) {
        const int c = text.Length();
        AnsiString result;
        result.Resize(c + n);
        if (c > 0) std::memcpy(result.Data(), text.CStr(), c);
        std::vsnprintf(result.Data() + c, n + 1, format, arguments);
        text = std::move(result);
    }
    va_end(arguments);
}
