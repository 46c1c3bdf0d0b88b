// What both reports say alike: the names of modes and verdicts, and the
// facts they derive from the findings.
#pragma once

#include "check/findings.h"
#include "text/ansi_string.h"

// Returns the mode's name as both reports print it; never throws.
const char* ModeName(CheckMode mode);

// Returns "start", "refuse" or "abnormal"; never throws.
const char* VerdictName(Verdict verdict);

// Returns four lower-case hexadecimal digits of the value's low 16 bits.
AnsiString Hex4(unsigned value);

// Returns whether "Executavel" is only where the launcher does not look.
bool OnlyInThirtyTwoBitView(const Findings& findings);
