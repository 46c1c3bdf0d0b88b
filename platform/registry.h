// The registry accessor: reads string values below a root key, in the
// registry view that its access mask selects.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/exception.h"
#include "platform/windows_handles.h"
#include "text/unicode_string.h"

// The kind of a value's data. REG_BINARY maps to rdBinary and REG_DWORD to
// rdInteger, so the numbers differ from the Windows types'.
enum TRegDataType : std::uint8_t { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// A value's kind and its data size in bytes.
struct TRegDataInfo {
    TRegDataType RegData;
    std::int32_t DataSize;
};

// Raised by ReadString when a value's data cannot be read or is no text.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// Reads values below a root key. Owns its current key and closes it; never
// closes the root key, a predefined key of the platform.
class TRegistry {
public:
    // A new accessor: root HKEY_CURRENT_USER, no key open, lazy write on,
    // Access AAccess, LastError 0; never throws.
    explicit TRegistry(REGSAM AAccess);
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;
    // Closes the current key, if any (flushed first unless LazyWrite); never throws.
    virtual ~TRegistry();

    HKEY RootKey() const { return FRootKey; }
    // Sets the root key; a different one closes the current key; never throws.
    void SetRootKey(HKEY Value);
    HKEY CurrentKey() const { return FCurrentKey.Get(); }
    const UnicodeString& CurrentPath() const { return FCurrentPath; }
    LONG LastError() const { return FLastError; }
    REGSAM Access() const { return FAccess; }
    void SetAccess(REGSAM Value) { FAccess = Value; }
    bool LazyWrite() const { return FLazyWrite; }
    void SetLazyWrite(bool Value) { FLazyWrite = Value; }

    // Returns whether the key opens with query and enumerate rights in this
    // accessor's view; leaves Access, LastError and the current key as they
    // were; never throws but for lack of memory.
    bool KeyExists(const UnicodeString& Key);
    // Returns whether the key opened and became the current key, the previous
    // one closed; on failure nothing changes but LastError. Never creates a
    // key, whatever CanCreate says; never throws but for lack of memory.
    bool OpenKey(const UnicodeString& Key, bool CanCreate);
    // Returns the value's text up to its first NUL, unexpanded; empty when it
    // is missing or holds no data. Throws ERegistryException when its data
    // cannot be read or is neither REG_SZ nor REG_EXPAND_SZ.
    UnicodeString ReadString(const UnicodeString& Name);
    // Returns whether the value's type and size could be read into Value;
    // never throws.
    bool GetDataInfo(const UnicodeString& ValueName, TRegDataInfo& Value);
    // Returns the value's size in bytes, or -1 when it cannot be read; never throws.
    std::int32_t GetDataSize(const UnicodeString& ValueName);
    // Closes the current key, if any, flushing it first unless LazyWrite;
    // results are dropped and LastError stays; never throws.
    void CloseKey();

private:
    UniqueRegistryKey FCurrentKey;
    HKEY FRootKey = nullptr;
    bool FLazyWrite = false;
    UnicodeString FCurrentPath;
    bool FCloseRootKey = false;
    REGSAM FAccess = 0;
    LONG FLastError = 0;
};
