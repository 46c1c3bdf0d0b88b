// Functions of kernel32 that only some versions of Windows have.
#pragma once

#include <windows.h>

// Returns kernel32's export `name`, null where this Windows lacks it; never throws.
FARPROC Kernel32Function(const char* name);
