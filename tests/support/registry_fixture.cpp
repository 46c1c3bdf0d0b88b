#include "tests/support/registry_fixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <utility>

namespace {
bool KeyIsThere(const std::wstring& path, REGSAM view)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | view, &key) !=
        ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

// Returns the value's type and bytes; false when it is not there.
bool ReadRawValue(HKEY key, const std::wstring& name, DWORD& type, std::string& bytes)
{
    DWORD size = 0;
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    bytes.assign(size, '\0');
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(&bytes[0]),
                           &size) != ERROR_SUCCESS)
        return false;
    bytes.resize(size);
    return true;
}
}  // namespace

std::wstring UniqueTestKeyPath()
{
    static std::atomic<unsigned> counter{0};
    return L"Software\\LauncherTests\\" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter++);
}

std::string WideBytes(const std::wstring& text, bool terminated)
{
    const std::size_t units = text.size() + (terminated ? 1 : 0);
    return std::string(reinterpret_cast<const char*>(text.c_str()), units * sizeof(wchar_t));
}

bool HasTwoRegistryViews()
{
    BOOL wow64 = FALSE;
    return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

TestRegistryKey::TestRegistryKey(const std::wstring& path, REGSAM view) : path_(path), view_(view)
{
    // Note the parents missing now, so that only they are removed afterwards.
    for (std::size_t at = path_.find(L'\\'); at != std::wstring::npos;
         at = path_.find(L'\\', at + 1)) {
        const std::wstring parent = path_.substr(0, at);
        if (!KeyIsThere(parent, view_)) createdParents_.push_back(parent);
    }
    DWORD disposition = 0;
    const LSTATUS status =
        ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS | view_, nullptr, &key_, &disposition);
    if (status != ERROR_SUCCESS) {
        key_ = nullptr;
        createdParents_.clear();
        ADD_FAILURE() << "cannot create HKLM\\" << std::string(path_.begin(), path_.end())
                      << ": error " << status;
        return;
    }
    created_ = disposition == REG_CREATED_NEW_KEY;
}

TestRegistryKey::TestRegistryKey(TestRegistryKey&& other) noexcept
    : path_(std::move(other.path_)),
      view_(other.view_),
      key_(std::exchange(other.key_, nullptr)),
      created_(std::exchange(other.created_, false)),
      createdParents_(std::move(other.createdParents_)),
      written_(std::move(other.written_))
{
    other.createdParents_.clear();
    other.written_.clear();
}

TestRegistryKey::~TestRegistryKey()
{
    if (!key_) return;
    if (created_) {
        ::RegDeleteTreeW(key_, nullptr);
        ::RegCloseKey(key_);
        ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), view_, 0);
        // A parent still holding another key is refused, and stays.
        for (auto parent = createdParents_.rbegin(); parent != createdParents_.rend(); ++parent)
            ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, parent->c_str(), view_, 0);
        return;
    }
    for (auto value = written_.rbegin(); value != written_.rend(); ++value) {
        if (value->existed)
            ::RegSetValueExW(key_, value->name.c_str(), 0, value->type,
                             reinterpret_cast<const BYTE*>(value->bytes.data()),
                             static_cast<DWORD>(value->bytes.size()));
        else
            ::RegDeleteValueW(key_, value->name.c_str());
    }
    ::RegCloseKey(key_);
}

bool TestRegistryKey::SetValue(const std::wstring& name, DWORD type, const std::string& bytes)
{
    if (!key_) return false;
    if (!created_) {
        WrittenValue before{name, false, REG_NONE, {}};
        before.existed = ReadRawValue(key_, name, before.type, before.bytes);
        written_.push_back(std::move(before));
    }
    return ::RegSetValueExW(key_, name.c_str(), 0, type,
                            reinterpret_cast<const BYTE*>(bytes.data()),
                            static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

bool TestRegistryKey::SetString(const std::wstring& name, const std::wstring& text, DWORD type)
{
    return SetValue(name, type, WideBytes(text, true));
}

bool TestRegistryKey::SetDword(const std::wstring& name, DWORD value)
{
    return SetValue(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4));
}

ImportedRegistryKey::ImportedRegistryKey(const std::wstring& path, REGSAM view)
    : path_(path), view_(view), wasThere_(KeyIsThere(path, view))
{
    if (wasThere_) return;
    for (std::size_t at = path_.find(L'\\'); at != std::wstring::npos;
         at = path_.find(L'\\', at + 1)) {
        const std::wstring parent = path_.substr(0, at);
        if (!KeyIsThere(parent, view_)) missing_.insert(missing_.begin(), parent);
    }
    missing_.insert(missing_.begin(), path_);
}

ImportedRegistryKey::~ImportedRegistryKey()
{
    HKEY key = nullptr;
    if (!missing_.empty() && ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0,
                                             KEY_ALL_ACCESS | view_, &key) == ERROR_SUCCESS) {
        ::RegDeleteTreeW(key, nullptr);
        ::RegCloseKey(key);
    }
    // A parent still holding another key is refused, and stays.
    for (const std::wstring& missing : missing_)
        ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, missing.c_str(), view_, 0);
}

bool ImportedRegistryKey::IsThere() const { return KeyIsThere(path_, view_); }
