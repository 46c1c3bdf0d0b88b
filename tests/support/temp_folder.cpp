#include "tests/support/temp_folder.h"

#include <windows.h>

#include <atomic>

namespace {
void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW entry;
    HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(child);
            } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                ::RemoveDirectoryW(child.c_str());
            } else {
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(find, &entry));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(path.c_str());
}
}  // namespace

TempFolder::TempFolder()
{
    static std::atomic<unsigned> counter{0};
    wchar_t base[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH, base);
    for (;;) {
        path_ = std::wstring(base) + L"launcher-test-" + std::to_wstring(::GetCurrentProcessId()) +
                L"-" + std::to_wstring(counter++);
        if (::CreateDirectoryW(path_.c_str(), nullptr)) break;
    }
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::wstring WindowsPath(const std::string& path)
{
    std::wstring wide(path.begin(), path.end());
    for (wchar_t& unit : wide)
        if (unit == L'/') unit = L'\\';
    return wide;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (::ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    ::CloseHandle(file);
    return bytes;
}
