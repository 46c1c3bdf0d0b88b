// The launcher's own path, run with its process start, directory change and
// message box answered instead of performed.
#pragma once

#include <windows.h>

#include <vector>

#include "launcher/launch_plan.h"
#include "text/ansi_string.h"
#include "text/unicode_string.h"

struct DryRun {
    // The launcher's reading of its command line and folder.
    bool hasArgument = false;
    UnicodeString firstArgument;
    UnicodeString workingFolder;
    // The paths whose last component the platform gave a short name for.
    std::vector<UnicodeString> shortNamePaths;

    // The plan; only its mode when a registry error ended the resolution (`abnormal`).
    LaunchPlan plan;
    // What the launch asked of the platform.
    bool startAsked = false;
    AnsiString startCommandLine;
    AnsiString startDirectory;
    AnsiString boxText;

    // The registry error, with the value it read last and where.
    bool abnormal = false;
    AnsiString errorMessage;
    UnicodeString lastValueName;
    DWORD lastValueType = REG_NONE;
    REGSAM lastKeyAccess = 0;
};

// Returns what the launcher would do when started with `launcherLine` here:
// ResolveLaunchPlan and LaunchChild run for real against the registry and the
// file system, but nothing is started, no directory is changed and no box is
// shown. Never throws but for lack of memory.
DryRun RunLauncherDry(const UnicodeString& launcherLine);
