// The check's report for people.
#pragma once

#include "check/findings.h"

// Returns the report as short plain lines, every name as written; never
// throws but for lack of memory.
UnicodeString TextReport(const Findings& findings);
