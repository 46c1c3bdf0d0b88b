// The process's entry and its abnormal end.
#pragma once

// Shows "Abnormal program termination", captioned with the executable's file
// name, and ends the process with status 3 without any exit processing.
[[noreturn]] void TerminateAbnormally();

// Returns the part of the 0-terminated `path` after its last backslash, else
// after its last colon, else the whole path, stepping by characters of
// `codePage` so that a trail byte never counts; a pointer into `path`, never
// reading past its terminator. Never throws.
const char* CaptionOfPath(const char* path, unsigned codePage);

// Turns on the process's end on heap corruption, then restricts its DLL
// search to System32 where the platform offers SetDefaultDllDirectories; the
// first thing a program of this project does. Never throws.
void HardenProcess();
