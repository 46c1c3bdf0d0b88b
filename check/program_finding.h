// The program a plan's command line names, and whether this system runs it.
#pragma once

#include "check/findings.h"

// Returns the program that `commandLine` names (its first item, quoted or
// not), found as the start finds it with `workingDirectory` current (no path
// when the start finds none); whether
// it is a disk file, a batch file, an image that runs as a process, and one
// for this system's processor. Reads the file's headers and section table
// only. Never throws but for lack of memory.
ProgramFinding ExamineProgram(const UnicodeString& commandLine,
                              const UnicodeString& workingDirectory);

// Returns a machine type's or a processor architecture's name, e.g. "x86"; never throws.
const char* MachineName(unsigned machine);
const char* ArchitectureName(unsigned architecture);

// Returns this system's processor architecture (PROCESSOR_ARCHITECTURE_*),
// not the one a 32-bit program is shown; never throws.
unsigned NativeArchitecture();
