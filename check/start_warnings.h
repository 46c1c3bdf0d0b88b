// What a start the launcher would make may still meet: the archive, the
// runtime's Java version, and the heap a 32-bit runtime is asked for.
#pragma once

#include <vector>

#include "check/findings.h"

// Returns the warnings for the start `findings` judges (none unless its
// verdict is start), in this order: the archive the command line names is
// missing or unreadable; the runtime's `release` file names a Java other
// than 8; a 32-bit runtime is given -Xmx1024m. Reads files only; never
// throws but for lack of memory.
std::vector<StartWarning> FindStartWarnings(const Findings& findings);
