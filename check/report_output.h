// Where a report goes: the console as it shows text, or a file or pipe as bytes.
#pragma once

#include "text/ansi_string.h"

// Writes `report` (ANSI code page) to standard output: to a console as wide
// text, which it shows whatever its own code page; redirected to a file or a
// pipe, as the same bytes in the ANSI code page. Returns whether all of it was
// written. Never throws but for lack of memory.
bool WriteReport(const AnsiString& report);
