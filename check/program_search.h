// Where the start looks for the program its command line names.
#pragma once

#include "text/unicode_string.h"

struct ProgramLocation {
    // The file the start would run; empty for a name without a folder that
    // it finds nowhere.
    UnicodeString path;
    // A name without a folder, which the start searches for.
    bool bareName = false;
    // Where the search found it ("the launcher's folder", ...); null otherwise.
    const char* foundIn = nullptr;
};

// Returns the file the start would run for the program `program` (the
// command line's first item) with `workingDirectory` current: ".exe" added
// when the last component (after the last `\` or `/`) has no extension; a
// name without a folder searched for in the launcher's folder (taken to be
// this program's own, as they ship together), the working directory unless
// NeedCurrentDirectoryForExePathW says the hardening leaves it out, the system
// folders, the Windows folder and PATH, in that order; a relative path taken
// from the working directory. Never throws but for lack of memory.
ProgramLocation LocateProgram(const UnicodeString& program, const UnicodeString& workingDirectory);
