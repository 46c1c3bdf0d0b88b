// A shell link (.lnk): the start it makes, as the shell's own object reads it.
#pragma once

#include <windows.h>

#include "text/unicode_string.h"

struct ShortcutFinding {
    bool read = false;
    HRESULT error = S_OK;  // why it could not be read
    UnicodeString file;
    UnicodeString target;
    UnicodeString arguments;
    UnicodeString startIn;  // "Start in"; empty when the shortcut leaves it to the shell
    // Whether the target is the launcher beside the check, which is what the check judges.
    bool targetsLauncher = false;
};

// Returns the target, arguments and "Start in" of the shortcut `file`, read
// through IShellLinkW and IPersistFile; `read` false with the error when it
// cannot be. Never throws but for lack of memory.
ShortcutFinding ReadShortcut(const UnicodeString& file);

// Returns whether `target` names `launcher`, letter case aside; never throws.
bool TargetsLauncher(const UnicodeString& target, const UnicodeString& launcher);
