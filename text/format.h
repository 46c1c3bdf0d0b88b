// printf-style composition of narrow text. Templates know "%s" (a narrow,
// 0-terminated string) and "%d" (a signed 32-bit integer); the compiler checks
// every call against its template by the rules of the system's C run-time,
// whose _vsnprintf formats in every build, the tests' with
// __USE_MINGW_ANSI_STDIO included (that option redirects vsnprintf, not it).
#pragma once

#include "text/ansi_string.h"

// Replaces the text with the formatted result; never throws but for lack of memory.
void FormatText(AnsiString& text, const char* format, ...) __attribute__((format(ms_printf, 2, 3)));

// Appends the formatted result to the text; never throws but for lack of memory.
void AppendFormattedText(AnsiString& text, const char* format, ...)
    __attribute__((format(ms_printf, 2, 3)));
