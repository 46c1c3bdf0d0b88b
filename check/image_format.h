// Whether a file is an image that the platform starts as a process, judged
// from its headers, its section table and its size, as the start judges it.
#pragma once

#include "check/read_only_file.h"
#include "text/ansi_string.h"

struct ImageFormat {
    // An image that runs as a process: headers and sections inside the file,
    // not a DLL, a subsystem that starts as a program.
    bool startsAsProcess = false;
    // The first test it failed, in a few words, when it does not.
    AnsiString defect;
    // The machine type from its file header, 0 before that header was read.
    unsigned machine = 0;
};

// Returns what the open disk file `file` is as an image; reads its headers
// and section table only. Never throws but for lack of memory.
ImageFormat ExamineImage(const ReadOnlyFile& file);
