// Registry key paths, which separate their keys with backslashes.
#pragma once

#include "text/unicode_string.h"

// Returns `parent`, one backslash and `child`, each as it stands; never
// throws but for lack of memory.
UnicodeString JoinKeyPath(const UnicodeString& parent, const UnicodeString& child);
