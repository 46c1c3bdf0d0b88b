// Which Java runtime to start, with which command line, in which directory.
#pragma once

#include "text/ansi_string.h"

struct LaunchPlan {
    AnsiString CommandLine;
    AnsiString WorkingDirectory;
};

// Returns the plan chosen from the first argument, the current directory and
// the registry. Lets ERegistryException through, with no plan.
LaunchPlan ResolveLaunchPlan();

// Returns "Executavel" of the product key in the 64-bit view, empty when the
// key cannot be opened. Lets ERegistryException through.
AnsiString ReadInstalledExecutable();
