// The check's report for people.
#pragma once

#include "check/findings.h"

// Returns the report as short plain lines in the ANSI code page; never throws
// but for lack of memory.
AnsiString TextReport(const Findings& findings);
