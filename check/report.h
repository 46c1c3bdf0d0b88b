// The check's report, for people and for scripts.
#pragma once

#include "check/findings.h"

// Returns the report as short plain lines in the ANSI code page; never throws
// but for lack of memory.
AnsiString TextReport(const Findings& findings);

// Returns the same facts as one JSON object on one line, in ASCII (every
// other character escaped); never throws but for lack of memory.
AnsiString JsonReport(const Findings& findings);
