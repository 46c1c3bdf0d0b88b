// A path in the form a child started through the ANSI code page can be given.
#pragma once

#include <windows.h>

#include "text/ansi_string.h"
#include "text/unicode_string.h"

// Returns whether `unit` separates the components of a path: the platform
// takes '/' as it takes '\\'. Never throws.
inline bool IsPathSeparator(wchar_t unit) { return unit == L'\\' || unit == L'/'; }

// Returns whether the ANSI code page writes `path` exactly, which then needs
// no short names; never throws but for lack of memory.
bool WritesInCodePage(const UnicodeString& path);

// Puts `path` into `narrow` in the ANSI code page: the text layer's conversion
// when the code page writes the path exactly, else the path with each
// component (the text between separators) that the code page cannot write
// replaced by its short name as the file system reports it. Returns
// ERROR_SUCCESS, or ERROR_NO_UNICODE_TRANSLATION with `narrow` empty when such
// a component has no short name that the code page writes. Never throws but
// for lack of memory.
DWORD ToCodePagePath(const UnicodeString& path, AnsiString& narrow);
