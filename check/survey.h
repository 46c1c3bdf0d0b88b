// Everything the check reports, gathered from the launcher's own path and
// from read-only looks at what that path consults.
#pragma once

#include "check/findings.h"
#include "text/unicode_string.h"

// Returns what the launcher would do here with `launcherLine` as its command
// line, and why; starts nothing, writes nothing, changes no folder. Never
// throws but for lack of memory.
Findings Survey(const UnicodeString& launcherLine);
