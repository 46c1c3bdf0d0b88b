// Which Java runtime to start, with which command line, in which directory.
#pragma once

#include <windows.h>

#include "text/ansi_string.h"
#include "text/unicode_string.h"

struct LaunchPlan {
    AnsiString CommandLine;
    AnsiString WorkingDirectory;
    // Non-zero when the plan must not be started: the error code the failure
    // report shows instead, the first that applies. A current directory with a
    // component the code page cannot write and that has no short name gives
    // ERROR_NO_UNICODE_TRANSLATION, and nothing else is consulted; then the
    // value that names the runtime: empty (nobody configured it) gives
    // ERROR_FILE_NOT_FOUND, holding a quote ERROR_INVALID_NAME, and a
    // component without a short name ERROR_NO_UNICODE_TRANSLATION. The
    // command line then names no program of its own.
    DWORD RefusalCode = ERROR_SUCCESS;
};

// Returns the plan chosen from the first argument, the current directory and
// the registry. Lets ERegistryException through, with no plan.
LaunchPlan ResolveLaunchPlan();

// Puts the runtime's path (a "JavaHome" or "Executavel" value), as the child
// is to be given it, into `narrow`; returns the code the plan is refused with,
// ERROR_SUCCESS for none. Never throws but for lack of memory.
DWORD RuntimePath(const UnicodeString& value, AnsiString& narrow);

// Returns "Executavel" of the product key in the 64-bit view as the registry
// holds it, empty when the key cannot be opened. Lets ERegistryException through.
UnicodeString ReadInstalledExecutable();
