#include "platform/registry.h"

#include <memory>
#include <utility>

#include "platform/key_path.h"
#include "platform/windows_api.h"
#include "text/conversion.h"
#include "text/format.h"

namespace {
// KEY_READ without KEY_NOTIFY: enough to tell whether a key is there.
constexpr REGSAM kExistenceRights = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
constexpr REGSAM kViewBits = KEY_WOW64_64KEY | KEY_WOW64_32KEY;

// A path split by the accessor's rule: the key it is taken from, and what
// remains of it below that key.
struct ResolvedPath {
    HKEY Base;
    UnicodeString Rest;
    bool Relative;
};

TRegDataType DataTypeOf(DWORD type)
{
    switch (type) {
        case REG_SZ:
            return rdString;
        case REG_EXPAND_SZ:
            return rdExpandString;
        case REG_BINARY:
            return rdBinary;
        case REG_DWORD:
            return rdInteger;
        default:
            return rdUnknown;
    }
}

ResolvedPath Resolve(const UnicodeString& key, HKEY rootKey, HKEY currentKey)
{
    // Only one leading backslash marks the path as absolute; a second one stays.
    if (key.Length() > 0 && key[0] == L'\\')
        return {rootKey, UnicodeString(key.CStr() + 1, key.Length() - 1), false};
    return {currentKey ? currentKey : rootKey, key, true};
}
}  // namespace

TRegistry::TRegistry(REGSAM AAccess)
{
    SetRootKey(HKEY_CURRENT_USER);
    FLazyWrite = true;
    FAccess = AAccess;
}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY Value)
{
    if (Value == FRootKey) return;
    if (FCloseRootKey) {
        Windows().RegCloseKey(FRootKey);
        FCloseRootKey = false;
    }
    FRootKey = Value;
    CloseKey();
}

bool TRegistry::KeyExists(const UnicodeString& Key)
{
    // The mask lives here only, so Access never changes, whatever happens.
    const REGSAM mask = (FAccess & kViewBits) | kExistenceRights;
    const ResolvedPath path = Resolve(Key, FRootKey, FCurrentKey.Get());
    UniqueRegistryKey probe;
    Windows().RegOpenKeyExW(path.Base, path.Rest.CStr(), 0, mask, probe.Receive());
    return !probe.IsEmpty();
}

bool TRegistry::OpenKey(const UnicodeString& Key, bool CanCreate)
{
    // Keys are never created: the launcher only reads.
    (void)CanCreate;
    const ResolvedPath path = Resolve(Key, FRootKey, FCurrentKey.Get());
    UniqueRegistryKey opened;
    FLastError = Windows().RegOpenKeyExW(path.Base, path.Rest.CStr(), 0, FAccess, opened.Receive());
    if (FLastError != ERROR_SUCCESS) return false;
    UnicodeString newPath =
        path.Relative && !FCurrentKey.IsEmpty() ? JoinKeyPath(FCurrentPath, path.Rest) : path.Rest;
    // The previous key goes only now: the new one may have been opened below it.
    CloseKey();
    FCurrentKey = std::move(opened);
    FCurrentPath = std::move(newPath);
    return true;
}

bool TRegistry::GetDataInfo(const UnicodeString& ValueName, TRegDataInfo& Value)
{
    Value.RegData = rdUnknown;
    Value.DataSize = 0;
    DWORD type = REG_NONE;
    DWORD size = 0;
    FLastError = Windows().RegQueryValueExW(FCurrentKey.Get(), ValueName.CStr(), nullptr, &type,
                                            nullptr, &size);
    if (FLastError != ERROR_SUCCESS) return false;
    Value.RegData = DataTypeOf(type);
    Value.DataSize = static_cast<std::int32_t>(size);
    return true;
}

std::int32_t TRegistry::GetDataSize(const UnicodeString& ValueName)
{
    TRegDataInfo info;
    return GetDataInfo(ValueName, info) ? info.DataSize : -1;
}

UnicodeString TRegistry::ReadString(const UnicodeString& Name)
{
    const std::int32_t n = GetDataSize(Name);
    if (n <= 0) return UnicodeString();
    // n div 2 code units and one NUL hold all n bytes, an odd last byte too.
    const int units = n / 2;
    std::unique_ptr<wchar_t[]> buffer(new wchar_t[units + 1]());
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(n);
    FLastError = Windows().RegQueryValueExW(FCurrentKey.Get(), Name.CStr(), nullptr, &type,
                                            reinterpret_cast<LPBYTE>(buffer.get()), &size);
    AnsiString message;
    if (FLastError != ERROR_SUCCESS) {
        FormatText(message, "Failed to get data for '%s'", ToAnsiString(Name).CStr());
        throw ERegistryException(std::move(message));
    }
    // The type counts only after the read: a failed read reports the failure.
    const TRegDataType dataType = DataTypeOf(type);
    if (dataType != rdString && dataType != rdExpandString) {
        FormatText(message, "Invalid data type for '%s'", ToAnsiString(Name).CStr());
        throw ERegistryException(std::move(message));
    }
    // The data need not end with a NUL, nor stop at the first one.
    int length = 0;
    while (length < units && buffer[length] != L'\0') ++length;
    return UnicodeString(buffer.get(), length);
}

void TRegistry::CloseKey()
{
    if (FCurrentKey.IsEmpty()) return;
    if (!FLazyWrite) Windows().RegFlushKey(FCurrentKey.Get());
    FCurrentKey.Reset();
    FCurrentPath = UnicodeString();
}
