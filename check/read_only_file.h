// A file opened through the platform for reading only, and owned.
#pragma once

#include <windows.h>

#include "platform/windows_handles.h"
#include "text/unicode_string.h"

class ReadOnlyFile {
public:
    // Opens `path` for reading and running, sharing it with every other user;
    // IsOpen() tells whether it opened. Never throws but for lack of memory.
    explicit ReadOnlyFile(const UnicodeString& path);

    // Returns whether the file opened; never throws.
    bool IsOpen() const { return !handle_.IsEmpty(); }
    // Returns whether it is a file on a disk, not a device or a pipe; never throws.
    bool IsDiskFile() const;
    // Returns its size in bytes, or -1 when the platform does not tell; never throws.
    long long Size() const;
    // Reads exactly `count` bytes at `offset`; returns whether all were read. Never throws.
    bool ReadAt(long long offset, void* buffer, unsigned count) const;

private:
    UniqueFileHandle handle_;
};
