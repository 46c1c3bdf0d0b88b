// The program a plan's command line names, and whether this system runs it.
#pragma once

#include "check/findings.h"

// Returns the program that `commandLine` names (its first item, quoted or
// not), a relative one taken from `workingDirectory` as the start would
// take it; whether the file is there, is a Windows program, and is one for
// this system's processor. Reads the file's headers only. Never throws but for
// lack of memory.
ProgramFinding ExamineProgram(const AnsiString& commandLine, const AnsiString& workingDirectory);

// Returns a machine type's or a processor architecture's name, e.g. "x86"; never throws.
const char* MachineName(unsigned machine);
const char* ArchitectureName(unsigned architecture);
