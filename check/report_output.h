// Where a report goes: the console as it shows text, or a file or pipe as bytes.
#pragma once

#include "text/unicode_string.h"

// Writes `report` to standard output: to a console as wide text, which it
// shows whatever its own code page; redirected to a file or a pipe, as UTF-8
// (without a byte order mark). Returns whether all of it was written. Never
// throws but for lack of memory.
bool WriteReport(const UnicodeString& report);
