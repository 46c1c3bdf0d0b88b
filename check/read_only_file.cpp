#include "check/read_only_file.h"

#include "platform/windows_api.h"

ReadOnlyFile::ReadOnlyFile(const UnicodeString& path)
    // Shared for writing and deleting too: the check must never stand in the
    // way of an installer replacing the runtime while it looks. The start
    // opens the program for running, so a file the user may read but not run
    // does not open either.
    : handle_(Windows().CreateFileW(path.CStr(), GENERIC_READ | FILE_EXECUTE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
{
}

bool ReadOnlyFile::IsDiskFile() const
{
    return IsOpen() && Windows().GetFileType(handle_.Get()) == FILE_TYPE_DISK;
}

long long ReadOnlyFile::Size() const
{
    LARGE_INTEGER size;
    if (!IsOpen() || !Windows().GetFileSizeEx(handle_.Get(), &size)) return -1;
    return size.QuadPart;
}

bool ReadOnlyFile::ReadAt(long long offset, void* buffer, unsigned count) const
{
    LARGE_INTEGER position;
    position.QuadPart = offset;
    if (!IsOpen() || !Windows().SetFilePointerEx(handle_.Get(), position, nullptr, FILE_BEGIN))
        return false;
    DWORD read = 0;
    return Windows().ReadFile(handle_.Get(), buffer, count, &read, nullptr) && read == count;
}
