// Crossings between wide and narrow text, both in the ANSI code page.
#pragma once

#include "text/ansi_string.h"
#include "text/unicode_string.h"

// Returns the text in the ANSI code page; a character the code page lacks
// becomes the platform's replacement, silently. Empty when nothing converts.
AnsiString ToAnsiString(const UnicodeString& wide);

// Returns the code units the platform reads from the bytes; empty when none.
UnicodeString ToUnicodeString(const AnsiString& narrow);
