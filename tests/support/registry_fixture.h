// Registry keys of the tests' own below HKEY_LOCAL_MACHINE, in a chosen view,
// holding raw typed values, and gone again when their owner goes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Returns "Software\\LauncherTests\\<pid>-<n>", a key path no other test
// uses, different on every call; never throws but for lack of memory.
std::wstring UniqueTestKeyPath();

// Returns the UTF-16 bytes of `text`, followed by a NUL code unit when
// `terminated`; never throws but for lack of memory.
std::string WideBytes(const std::wstring& text, bool terminated = true);

// Returns whether this 32-bit process sees two registry views (a 64-bit
// prefix), so that KEY_WOW64_64KEY and KEY_WOW64_32KEY differ; never throws.
bool HasTwoRegistryViews();

// Owns HKEY_LOCAL_MACHINE\<path> in one registry view (KEY_WOW64_64KEY or
// KEY_WOW64_32KEY). A key it created is deleted on destruction with what lies
// below it, and so are the parents it had to create, when nothing else is
// left in them; in a key that was there before, only the values it wrote are
// put back as they were.
class TestRegistryKey {
public:
    // Creates or opens the key; a failure is reported to the running test.
    TestRegistryKey(const std::wstring& path, REGSAM view);
    TestRegistryKey(TestRegistryKey&& other) noexcept;
    TestRegistryKey& operator=(TestRegistryKey&&) = delete;
    TestRegistryKey(const TestRegistryKey&) = delete;
    TestRegistryKey& operator=(const TestRegistryKey&) = delete;
    ~TestRegistryKey();

    // Returns the path below HKEY_LOCAL_MACHINE, without a leading backslash.
    const std::wstring& Path() const { return path_; }
    // Returns the view bit the key was made in.
    REGSAM View() const { return view_; }
    // Returns whether the key was made or opened.
    bool IsOpen() const { return key_ != nullptr; }

    // Writes the value with exactly these bytes and this type, whatever they
    // hold; returns whether it was written.
    bool SetValue(const std::wstring& name, DWORD type, const std::string& bytes);
    // Writes the text with its terminating NUL as REG_SZ or `type`.
    bool SetString(const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ);
    // Writes the number as a 4-byte REG_DWORD.
    bool SetDword(const std::wstring& name, DWORD value);

private:
    struct WrittenValue {
        std::wstring name;
        bool existed;
        DWORD type;
        std::string bytes;
    };

    std::wstring path_;
    REGSAM view_;
    HKEY key_ = nullptr;
    bool created_ = false;
    // Parents that did not exist before, the deepest last.
    std::vector<std::wstring> createdParents_;
    // Values written into a key that existed before, with what they held.
    std::vector<WrittenValue> written_;
};

// Removes HKEY_LOCAL_MACHINE\<path> in one view when it goes, with what lies
// below it and the parents that were missing when it was made: for a key that
// something else, an import, is about to create. A key that is there already
// is left alone.
class ImportedRegistryKey {
public:
    ImportedRegistryKey(const std::wstring& path, REGSAM view);
    ImportedRegistryKey(const ImportedRegistryKey&) = delete;
    ImportedRegistryKey& operator=(const ImportedRegistryKey&) = delete;
    ~ImportedRegistryKey();

    // Returns whether the key was there before, so that it is not removed.
    bool WasThere() const { return wasThere_; }
    // Returns whether the key is there now.
    bool IsThere() const;

private:
    std::wstring path_;
    REGSAM view_;
    bool wasThere_;
    // The key and the parents missing when it was made, the deepest first.
    std::vector<std::wstring> missing_;
};
