// The check's own command line: its options, and the launcher's arguments.
#pragma once

#include "text/unicode_string.h"

struct CheckCommandLine {
    bool json = false;
    // --detect: one line when the launcher would start, nothing when not.
    bool detect = false;
    // --reg-fix FILE: where to write the registry file that points the launcher at a runtime.
    bool regFix = false;
    UnicodeString regFixFile;
    // --shortcut FILE.lnk: the start that shortcut makes, instead of the launcher's arguments.
    bool shortcut = false;
    UnicodeString shortcutFile;
    // An option the check does not know, one given twice, --reg-fix without
    // its file, or options that do not go together.
    bool usageError = false;
    // A command line that the launcher reads exactly as it would read the
    // launcher's arguments given to the check.
    UnicodeString launcherLine;
};

// Returns the check's options and the launcher's command line, read from the
// process's command line with the launcher's own splitting: a word beginning
// with "--" is the check's, before or after the launcher's arguments, up to a
// "--" alone, after which every word is the launcher's. Never throws but for
// lack of memory.
CheckCommandLine ReadCheckCommandLine();
