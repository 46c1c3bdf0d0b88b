// Drive letters mapped to folders of a test's own, through Wine's mount
// manager, which keeps the mapping in the prefix so that every process
// started afterwards sees the drive.
#pragma once

#include <string>

// Returns the Unix path of a Windows path under Wine, empty when there is none
// (not under Wine, or no such place); never throws but for lack of memory.
std::string UnixPath(const std::wstring& windowsPath);

// Returns a letter with no drive behind it, from 'R' on; 0 when all are taken.
wchar_t FreeDriveLetter();

// Maps `letter` to `folder` while it lives, then puts back what the letter
// named before (or nothing); a failure is reported to the running test.
class MappedDrive {
public:
    MappedDrive(wchar_t letter, const std::wstring& folder);
    MappedDrive(const MappedDrive&) = delete;
    MappedDrive& operator=(const MappedDrive&) = delete;
    ~MappedDrive();

    bool IsMapped() const { return mapped_; }
    // Returns the drive's root, e.g. "D:\".
    std::wstring Root() const { return std::wstring(1, letter_) + L":\\"; }

private:
    wchar_t letter_;
    bool mapped_ = false;
    // What the letter named before: its drive type (0 for nothing) and Unix path.
    unsigned previousType_ = 0;
    std::string previousTarget_;
};
