// The check's report for scripts.
#pragma once

#include "check/findings.h"

// Returns the facts of the text report as one JSON object on one line, in
// ASCII (every other character escaped); never throws but for lack of memory.
UnicodeString JsonReport(const Findings& findings);
