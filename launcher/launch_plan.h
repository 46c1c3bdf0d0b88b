// Which Java runtime to start, with which command line, in which directory.
#pragma once

#include <windows.h>

#include "text/ansi_string.h"
#include "text/unicode_string.h"

// The launcher's modes, as its first argument and its folder select them.
// Without an argument the plan is LocalRuntime until the Java folder is found
// missing; a working folder the plan cannot name ends it there.
enum class LaunchMode { LocalRuntime, InstalledRuntime, FixedInstallation, EmptyPlan };

// The rule that refused a plan before it is started.
enum class RefusalRule {
    None,
    // The value that names the runtime is empty or absent: ERROR_FILE_NOT_FOUND.
    NotConfigured,
    // The value holds a double quote: ERROR_INVALID_NAME.
    QuotedValue,
    // The value holds a character no file name holds (* ? < > | or a control
    // character): ERROR_INVALID_NAME.
    InvalidCharacter,
    // The working folder has a component the code page cannot write and no
    // short name: ERROR_NO_UNICODE_TRANSLATION.
    WorkingFolderUnnamed,
    // The value needs short names and is not fully qualified:
    // ERROR_NO_UNICODE_TRANSLATION.
    NotFullyQualified,
    // A component of the value the code page cannot write has no short name:
    // ERROR_NO_UNICODE_TRANSLATION.
    NoShortName,
};

struct LaunchPlan {
    AnsiString CommandLine;
    AnsiString WorkingDirectory;
    // Non-zero when the plan must not be started: the error code the failure
    // report shows instead, that of the first rule that applies (`Rule`). The
    // working folder is named first, and nothing else is consulted without a
    // name; then the value that names the runtime is judged by its characters
    // before any name is looked up. The command line then names no program of
    // its own.
    DWORD RefusalCode = ERROR_SUCCESS;
    LaunchMode Mode = LaunchMode::EmptyPlan;
    RefusalRule Rule = RefusalRule::None;
};

// Returns the plan chosen from the first argument, the current directory and
// the registry. Lets ERegistryException through, with no plan.
LaunchPlan ResolveLaunchPlan();

// Fills the default plan `plan` as ResolveLaunchPlan returns it; when
// ERegistryException escapes, `plan` holds the mode being resolved and nothing else.
void ResolveLaunchPlanInto(LaunchPlan& plan);

// Puts the runtime's path (a "JavaHome" or "Executavel" value), as the child
// is to be given it, into `narrow`; returns the rule that refuses it,
// RefusalRule::None for none. Never throws but for lack of memory.
RefusalRule RuntimePath(const UnicodeString& value, AnsiString& narrow);

// Returns the code the failure report shows for a plan refused by `rule`,
// ERROR_SUCCESS for none; never throws.
DWORD RefusalCodeOf(RefusalRule rule);

// Returns "Executavel" of the product key in the 64-bit view as the registry
// holds it, empty when the key cannot be opened. Lets ERegistryException through.
UnicodeString ReadInstalledExecutable();
