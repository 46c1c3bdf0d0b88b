#include "tests/support/drive_mapping.h"

#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwctype>
#include <vector>

namespace {
// Wine's own mount manager requests, the ones its configuration tool sends.
const DWORD kDefineUnixDrive =
    CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
const DWORD kQueryUnixDrive = CTL_CODE('m', 33, METHOD_BUFFERED, FILE_READ_ACCESS);

struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};

HANDLE OpenMountManager()
{
    return ::CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Defines `letter` as a drive of `type` at `target`, or removes it for type 0.
bool DefineDrive(wchar_t letter, unsigned type, const std::string& target)
{
    HANDLE manager = OpenMountManager();
    if (manager == INVALID_HANDLE_VALUE) return false;
    std::vector<char> request(sizeof(UnixDrive) + target.size() + 1, '\0');
    auto* drive = reinterpret_cast<UnixDrive*>(request.data());
    drive->letter = static_cast<WCHAR>(std::towlower(letter));
    if (type != 0) {
        drive->type = type;
        drive->mountPointOffset = sizeof(UnixDrive);
        std::memcpy(request.data() + sizeof(UnixDrive), target.c_str(), target.size() + 1);
        drive->size = static_cast<ULONG>(request.size());
    } else {
        drive->type = DRIVE_NO_ROOT_DIR;
        drive->size = sizeof(UnixDrive);
    }
    DWORD returned = 0;
    const BOOL ok = ::DeviceIoControl(manager, kDefineUnixDrive, request.data(), drive->size,
                                      nullptr, 0, &returned, nullptr);
    ::CloseHandle(manager);
    return ok != 0;
}

// Reads what `letter` names now; false when it names nothing.
bool QueryDrive(wchar_t letter, unsigned& type, std::string& target)
{
    HANDLE manager = OpenMountManager();
    if (manager == INVALID_HANDLE_VALUE) return false;
    UnixDrive request = {};
    request.size = sizeof request;
    request.letter = static_cast<WCHAR>(std::towlower(letter));
    std::vector<char> answer(4096, '\0');
    DWORD returned = 0;
    const BOOL ok =
        ::DeviceIoControl(manager, kQueryUnixDrive, &request, sizeof request, answer.data(),
                          static_cast<DWORD>(answer.size()), &returned, nullptr);
    ::CloseHandle(manager);
    if (!ok || returned < sizeof(UnixDrive)) return false;
    const auto* drive = reinterpret_cast<const UnixDrive*>(answer.data());
    type = drive->type;
    target.clear();
    if (drive->mountPointOffset && drive->mountPointOffset < returned)
        target = answer.data() + drive->mountPointOffset;
    return type != DRIVE_NO_ROOT_DIR && !target.empty();
}
}  // namespace

std::string UnixPath(const std::wstring& windowsPath)
{
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return {};
    char* unixName = toUnix(windowsPath.c_str());
    if (!unixName) return {};
    std::string path = unixName;
    ::HeapFree(::GetProcessHeap(), 0, unixName);
    return path;
}

wchar_t FreeDriveLetter()
{
    const DWORD used = ::GetLogicalDrives();
    for (wchar_t letter = L'R'; letter <= L'Y'; ++letter)
        if (!(used & (1u << (letter - L'A')))) return letter;
    return 0;
}

MappedDrive::MappedDrive(wchar_t letter, const std::wstring& folder)
    : letter_(static_cast<wchar_t>(std::towupper(letter)))
{
    const std::string target = UnixPath(folder);
    if (target.empty()) {
        ADD_FAILURE() << "no Unix path for the folder of drive " << static_cast<char>(letter_);
        return;
    }
    if (!QueryDrive(letter_, previousType_, previousTarget_)) previousType_ = 0;
    mapped_ = DefineDrive(letter_, DRIVE_FIXED, target);
    if (!mapped_)
        ADD_FAILURE() << "cannot map drive " << static_cast<char>(letter_) << ": to " << target
                      << " (error " << ::GetLastError() << ")";
}

MappedDrive::~MappedDrive()
{
    if (!mapped_) return;
    DefineDrive(letter_, previousType_, previousTarget_);
}
