// A folder of the test's own under the system's temporary folder, removed with
// everything in it when the owner goes.
#pragma once

#include <string>

class TempFolder {
public:
    TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder();

    // Returns the folder's full Windows path, without a trailing separator.
    const std::wstring& Path() const { return path_; }
    // Returns Path() joined with `relative` by one backslash.
    std::wstring operator/(const std::wstring& relative) const { return path_ + L"\\" + relative; }

private:
    std::wstring path_;
};

// Returns a Windows path with every forward slash turned into a backslash.
std::wstring WindowsPath(const std::string& path);

// Writes `bytes` to a new file at `path`; returns whether it was written.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// Returns the whole content of the file at `path`, empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);
