// Java runtimes registered where the launcher's installed-runtime mode does
// not read: the keys other installers write, in both registry views.
#pragma once

#include <vector>

#include "check/findings.h"

// Returns every runtime registered under the JavaSoft keys other than the one
// the launcher reads, under the OpenJDK installers' own keys, and the
// launcher's key in the 32-bit view when `thirtyTwoBitKeyHidden` (a key in the
// 64-bit view hides it); each with its folder, its version, and whether the
// launcher could start its bin\Javaw.exe here. Reads only. Never throws but for
// lack of memory.
std::vector<RuntimeElsewhere> FindRuntimesElsewhere(bool thirtyTwoBitKeyHidden);

// Returns "64-bit", "32-bit" or "only" (a system with one registry view); never throws.
const char* RegistryViewName(RuntimeElsewhere::View view);
