// The check's own command line: its options, then the launcher's arguments.
#pragma once

#include "text/unicode_string.h"

struct CheckCommandLine {
    bool json = false;
    // --reg-fix FILE: where to write the registry file that points the launcher at a runtime.
    bool regFix = false;
    UnicodeString regFixFile;
    // A first launcher argument that looks like a misspelt option of the check.
    bool usageError = false;
    // A command line that the launcher reads exactly as it would read the
    // arguments given after the option.
    UnicodeString launcherLine;
};

// Returns the check's options and the launcher's command line, read from the
// process's command line with the launcher's own splitting; never throws but
// for lack of memory.
CheckCommandLine ReadCheckCommandLine();
