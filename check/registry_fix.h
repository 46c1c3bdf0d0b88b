// The registry file that points the launcher at a Java 8 runtime registered
// elsewhere, for an administrator to import.
#pragma once

#include "check/findings.h"
#include "text/unicode_string.h"

// The rule by which the fix chooses among several usable runtimes, as the reports state it.
extern const char kRegistryFixRule[];

// Returns the usable runtime of `runtimes` that the fix names, by
// kRegistryFixRule; -1 when none is usable. Never throws.
int ChooseRuntime(const std::vector<RuntimeElsewhere>& runtimes);

// Returns the text of a registry file (in the form regedit imports) that sets
// "JavaHome" of the launcher's key, in the view it reads first, to `folder`,
// noting `source` in a comment; empty when a character of `folder` cannot be
// written so that the import gives it back unchanged. Never throws but for
// lack of memory.
UnicodeString RegistryFixText(const UnicodeString& folder, const RuntimeElsewhere& source);

// Returns what became of the fix asked for into `file`: when the launcher
// would refuse for want of a configured runtime and a usable one was found
// elsewhere, `file` is created (UTF-16LE with a byte order mark), else nothing
// is written and the reason says why. The file is only ever a new one: a name
// that exists (a file, a hard link, a symbolic link, a folder) is refused and
// never written through, and the file's access list lets only SYSTEM,
// Administrators and the user running the check at it. Writes nothing to the
// registry. Never throws but for lack of memory.
RegistryFix WriteRegistryFix(const Findings& findings, const UnicodeString& file);
