// The folder `Java` in the working folder, as the launcher's directory test sees it.
#pragma once

#include "check/findings.h"

// Returns what `path` names: nothing, a folder, a file, a link (to a folder,
// to a file, or whose target is gone), or something whose attributes cannot be
// read. The launcher tests the name it can give the child, so the caller
// passes that. Reads attributes only. Never throws but for lack of memory.
FolderFinding ExamineFolder(const UnicodeString& path);
