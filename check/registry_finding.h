// One registry value below HKEY_LOCAL_MACHINE in one view, read only.
#pragma once

#include <windows.h>

#include "check/findings.h"

// Returns what the launcher's accessor with `access` would find of `value`
// under `key`: no key, a key that does not open, no value, or the value's
// type, size and text. Opens the key for reading only. Never throws but for
// lack of memory.
RegistryFinding ExamineRegistryValue(const char* key, const char* value, REGSAM access);

// Returns the name of a registry data type, e.g. "REG_SZ"; never throws.
const char* RegistryTypeName(DWORD type);
