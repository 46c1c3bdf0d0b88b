#include "platform/windows_api.h"

namespace {
WindowsApi systemApi;
WindowsApi* installedApi = &systemApi;
}  // namespace

WindowsApi& Windows() { return *installedApi; }

ScopedWindowsApi::ScopedWindowsApi(WindowsApi& api) : previous_(installedApi)
{
    installedApi = &api;
}

ScopedWindowsApi::~ScopedWindowsApi() { installedApi = previous_; }

UINT WindowsApi::GetACP() { return ::GetACP(); }

UINT WindowsApi::GetOEMCP() { return ::GetOEMCP(); }

int WindowsApi::WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideLength,
                                    LPSTR narrow, int narrowSize, LPCCH defaultChar,
                                    LPBOOL usedDefaultChar)
{
    return ::WideCharToMultiByte(codePage, flags, wide, wideLength, narrow, narrowSize, defaultChar,
                                 usedDefaultChar);
}

int WindowsApi::MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH narrow, int narrowLength,
                                    LPWSTR wide, int wideSize)
{
    return ::MultiByteToWideChar(codePage, flags, narrow, narrowLength, wide, wideSize);
}

BOOL WindowsApi::IsDBCSLeadByteEx(UINT codePage, BYTE testChar)
{
    return ::IsDBCSLeadByteEx(codePage, testChar);
}

LPWSTR WindowsApi::GetCommandLineW() { return ::GetCommandLineW(); }

DWORD WindowsApi::GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size)
{
    return ::GetModuleFileNameW(module, fileName, size);
}

DWORD WindowsApi::GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size)
{
    return ::GetModuleFileNameA(module, fileName, size);
}

DWORD WindowsApi::GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer)
{
    return ::GetCurrentDirectoryW(bufferLength, buffer);
}

BOOL WindowsApi::SetCurrentDirectoryA(LPCSTR pathName) { return ::SetCurrentDirectoryA(pathName); }

BOOL WindowsApi::SetCurrentDirectoryW(LPCWSTR pathName) { return ::SetCurrentDirectoryW(pathName); }

DWORD WindowsApi::GetFileAttributesW(LPCWSTR fileName) { return ::GetFileAttributesW(fileName); }

DWORD WindowsApi::GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD bufferLength)
{
    return ::GetShortPathNameW(longPath, shortPath, bufferLength);
}

HANDLE WindowsApi::CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                               LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                               DWORD flagsAndAttributes, HANDLE templateFile)
{
    return ::CreateFileW(fileName, desiredAccess, shareMode, securityAttributes,
                         creationDisposition, flagsAndAttributes, templateFile);
}

BOOL WindowsApi::CloseHandle(HANDLE object) { return ::CloseHandle(object); }

DWORD WindowsApi::GetLastError() { return ::GetLastError(); }

DWORD WindowsApi::GetFileType(HANDLE file) { return ::GetFileType(file); }

BOOL WindowsApi::GetFileSizeEx(HANDLE file, PLARGE_INTEGER fileSize)
{
    return ::GetFileSizeEx(file, fileSize);
}

BOOL WindowsApi::SetFilePointerEx(HANDLE file, LARGE_INTEGER distanceToMove,
                                  PLARGE_INTEGER newFilePointer, DWORD moveMethod)
{
    return ::SetFilePointerEx(file, distanceToMove, newFilePointer, moveMethod);
}

BOOL WindowsApi::ReadFile(HANDLE file, LPVOID buffer, DWORD numberOfBytesToRead,
                          LPDWORD numberOfBytesRead, LPOVERLAPPED overlapped)
{
    return ::ReadFile(file, buffer, numberOfBytesToRead, numberOfBytesRead, overlapped);
}

BOOL WindowsApi::WriteFile(HANDLE file, LPCVOID buffer, DWORD numberOfBytesToWrite,
                           LPDWORD numberOfBytesWritten, LPOVERLAPPED overlapped)
{
    return ::WriteFile(file, buffer, numberOfBytesToWrite, numberOfBytesWritten, overlapped);
}

UINT WindowsApi::GetSystemDirectoryW(LPWSTR buffer, UINT size)
{
    return ::GetSystemDirectoryW(buffer, size);
}

UINT WindowsApi::GetWindowsDirectoryW(LPWSTR buffer, UINT size)
{
    return ::GetWindowsDirectoryW(buffer, size);
}

DWORD WindowsApi::GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size)
{
    return ::GetEnvironmentVariableW(name, buffer, size);
}

BOOL WindowsApi::GetComputerNameW(LPWSTR buffer, LPDWORD size)
{
    return ::GetComputerNameW(buffer, size);
}

BOOL WindowsApi::GetVersionExW(LPOSVERSIONINFOW versionInformation)
{
    return ::GetVersionExW(versionInformation);
}

void WindowsApi::GetSystemTime(LPSYSTEMTIME systemTime) { ::GetSystemTime(systemTime); }

HRESULT WindowsApi::CoInitializeEx(LPVOID reserved, DWORD coInit)
{
    return ::CoInitializeEx(reserved, coInit);
}

void WindowsApi::CoUninitialize() { ::CoUninitialize(); }

HRESULT WindowsApi::CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context,
                                     REFIID interfaceId, LPVOID* object)
{
    return ::CoCreateInstance(classId, outer, context, interfaceId, object);
}

HANDLE WindowsApi::GetStdHandle(DWORD stdHandle) { return ::GetStdHandle(stdHandle); }

BOOL WindowsApi::GetConsoleMode(HANDLE consoleHandle, LPDWORD mode)
{
    return ::GetConsoleMode(consoleHandle, mode);
}

BOOL WindowsApi::WriteConsoleW(HANDLE consoleOutput, const VOID* buffer, DWORD numberOfCharsToWrite,
                               LPDWORD numberOfCharsWritten, LPVOID reserved)
{
    return ::WriteConsoleW(consoleOutput, buffer, numberOfCharsToWrite, numberOfCharsWritten,
                           reserved);
}

BOOL WindowsApi::CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                                LPSECURITY_ATTRIBUTES processAttributes,
                                LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                                DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                                LPSTARTUPINFOA startupInfo,
                                LPPROCESS_INFORMATION processInformation)
{
    return ::CreateProcessA(applicationName, commandLine, processAttributes, threadAttributes,
                            inheritHandles, creationFlags, environment, currentDirectory,
                            startupInfo, processInformation);
}

DWORD WindowsApi::WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    return ::WaitForSingleObject(handle, milliseconds);
}

void WindowsApi::ExitProcess(UINT exitCode) { ::ExitProcess(exitCode); }

HMODULE WindowsApi::GetModuleHandleW(LPCWSTR moduleName) { return ::GetModuleHandleW(moduleName); }

BOOL WindowsApi::HeapSetInformation(HANDLE heap, HEAP_INFORMATION_CLASS informationClass,
                                    PVOID information, SIZE_T informationLength)
{
    return ::HeapSetInformation(heap, informationClass, information, informationLength);
}

FARPROC WindowsApi::GetProcAddress(HMODULE module, LPCSTR procName)
{
    return ::GetProcAddress(module, procName);
}

DWORD WindowsApi::CharUpperBuffW(LPWSTR text, DWORD length)
{
    return ::CharUpperBuffW(text, length);
}

int WindowsApi::MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    return ::MessageBoxA(owner, text, caption, type);
}

LSTATUS WindowsApi::RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired,
                                  PHKEY result)
{
    return ::RegOpenKeyExW(key, subKey, options, desired, result);
}

LSTATUS WindowsApi::RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type,
                                     LPBYTE data, LPDWORD dataSize)
{
    return ::RegQueryValueExW(key, valueName, reserved, type, data, dataSize);
}

LSTATUS WindowsApi::RegCloseKey(HKEY key) { return ::RegCloseKey(key); }

LSTATUS WindowsApi::RegFlushKey(HKEY key) { return ::RegFlushKey(key); }

LSTATUS WindowsApi::RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength,
                                  LPDWORD reserved, LPWSTR className, LPDWORD classLength,
                                  PFILETIME lastWriteTime)
{
    return ::RegEnumKeyExW(key, index, name, nameLength, reserved, className, classLength,
                           lastWriteTime);
}

BOOL WindowsApi::OpenProcessToken(HANDLE process, DWORD desiredAccess, PHANDLE token)
{
    return ::OpenProcessToken(process, desiredAccess, token);
}

BOOL WindowsApi::GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass,
                                     LPVOID information, DWORD informationLength,
                                     PDWORD returnLength)
{
    return ::GetTokenInformation(token, informationClass, information, informationLength,
                                 returnLength);
}
