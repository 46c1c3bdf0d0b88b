#include "text/format.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <utility>

// The system's C run-time formats: _vscprintf counts the result and _vsnprintf
// writes it. For the two conversions templates use, "%s" and "%d", they give
// the bytes the C99 vsnprintf gives, without the toolchain's own printf family
// in the executable. _vsnprintf leaves a result that fills its buffer exactly
// unterminated, so the writing pass gets n + 1 bytes for n.
//
// Template bytes go out unchanged only while the C run-time's locale has no
// lead bytes: the programs never set one, so it stays "C".

namespace {
int CountFormatted(const char* format, va_list arguments)
{
    va_list copy;
    va_copy(copy, arguments);
    const int n = _vscprintf(format, copy);
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
    if (n > 0) _vsnprintf(result.Data(), n + 1, format, arguments);
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
        _vsnprintf(result.Data() + c, n + 1, format, arguments);
        text = std::move(result);
    }
    va_end(arguments);
}
