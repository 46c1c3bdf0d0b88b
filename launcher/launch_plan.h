// Which Java runtime to start, with which command line, in which directory.
#pragma once

#include <windows.h>

#include "text/ansi_string.h"

struct LaunchPlan {
    AnsiString CommandLine;
    AnsiString WorkingDirectory;
    // Non-zero when the plan must not be started: the error code the failure
    // report shows instead. A runtime that nobody configured gives
    // ERROR_FILE_NOT_FOUND; the command line then names no program of its own.
    DWORD RefusalCode = ERROR_SUCCESS;
};

// Returns the plan chosen from the first argument, the current directory and
// the registry. Lets ERegistryException through, with no plan.
LaunchPlan ResolveLaunchPlan();

// Returns "Executavel" of the product key in the 64-bit view, empty when the
// key cannot be opened. Lets ERegistryException through.
AnsiString ReadInstalledExecutable();
