// The owners of the Windows handles this project opens, each closed through
// the seam (platform/windows_api.h), so tests see every close.
#pragma once

#include <windows.h>

#include "platform/unique_handle.h"
#include "platform/windows_api.h"

// A registry key from RegOpenKeyExW, which leaves 0 when it opens nothing.
struct RegistryKeyTraits {
    using Handle = HKEY;
    static HKEY Invalid() { return nullptr; }
    static void Close(HKEY key) { Windows().RegCloseKey(key); }
};
using UniqueRegistryKey = UniqueHandle<RegistryKeyTraits>;

// A process or thread handle from CreateProcessA, 0 when there is none.
struct ObjectHandleTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE object) { Windows().CloseHandle(object); }
};
using UniqueObjectHandle = UniqueHandle<ObjectHandleTraits>;

// A file handle from CreateFileW, which fails with INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Handle = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE file) { Windows().CloseHandle(file); }
};
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
