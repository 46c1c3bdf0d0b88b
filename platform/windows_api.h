// The launcher's only door to the Windows API.
//
// Every Windows function the launcher calls is a virtual member of WindowsApi,
// named and typed exactly as the function it forwards. The base class forwards
// each call unchanged to the system and holds no logic of its own; tests derive
// from it, override the calls they want to record or answer, and install their
// object with ScopedWindowsApi. Calls a test does not override still reach the
// real system (under Wine).
#pragma once

#include <windows.h>

#include <objbase.h>

class WindowsApi {
public:
    WindowsApi() = default;
    WindowsApi(const WindowsApi&) = delete;
    WindowsApi& operator=(const WindowsApi&) = delete;
    virtual ~WindowsApi() = default;

    // kernel32: text conversion
    virtual UINT GetACP();
    virtual UINT GetOEMCP();
    virtual int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideLength,
                                    LPSTR narrow, int narrowSize, LPCCH defaultChar,
                                    LPBOOL usedDefaultChar);
    virtual int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH narrow, int narrowLength,
                                    LPWSTR wide, int wideSize);
    virtual BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar);

    // kernel32: command line, module path, directories, files
    virtual LPWSTR GetCommandLineW();
    virtual DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
    virtual DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
    virtual DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer);
    virtual BOOL SetCurrentDirectoryA(LPCSTR pathName);
    virtual BOOL SetCurrentDirectoryW(LPCWSTR pathName);
    virtual DWORD GetFileAttributesW(LPCWSTR fileName);
    virtual DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD bufferLength);
    virtual HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                               LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                               DWORD flagsAndAttributes, HANDLE templateFile);
    virtual BOOL CloseHandle(HANDLE object);
    virtual DWORD GetLastError();

    // kernel32: what the setup check reads and writes
    virtual DWORD GetFileType(HANDLE file);
    virtual BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER fileSize);
    virtual BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distanceToMove,
                                  PLARGE_INTEGER newFilePointer, DWORD moveMethod);
    virtual BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD numberOfBytesToRead,
                          LPDWORD numberOfBytesRead, LPOVERLAPPED overlapped);
    virtual BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD numberOfBytesToWrite,
                           LPDWORD numberOfBytesWritten, LPOVERLAPPED overlapped);
    virtual UINT GetSystemDirectoryW(LPWSTR buffer, UINT size);
    virtual UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size);
    virtual DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size);
    virtual HANDLE GetStdHandle(DWORD stdHandle);
    virtual BOOL GetConsoleMode(HANDLE consoleHandle, LPDWORD mode);
    virtual BOOL WriteConsoleW(HANDLE consoleOutput, const VOID* buffer, DWORD numberOfCharsToWrite,
                               LPDWORD numberOfCharsWritten, LPVOID reserved);

    // kernel32: the system the check reports on
    virtual BOOL GetComputerNameW(LPWSTR buffer, LPDWORD size);
    virtual BOOL GetVersionExW(LPOSVERSIONINFOW versionInformation);
    virtual void GetSystemTime(LPSYSTEMTIME systemTime);

    // ole32: the shell's shortcut object, which the check reads
    virtual HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
    virtual void CoUninitialize();
    virtual HRESULT CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context,
                                     REFIID interfaceId, LPVOID* object);

    // kernel32: processes and modules
    virtual BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                                LPSECURITY_ATTRIBUTES processAttributes,
                                LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                                DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                                LPSTARTUPINFOA startupInfo,
                                LPPROCESS_INFORMATION processInformation);
    virtual DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
    [[noreturn]] virtual void ExitProcess(UINT exitCode);
    virtual HMODULE GetModuleHandleW(LPCWSTR moduleName);
    virtual BOOL HeapSetInformation(HANDLE heap, HEAP_INFORMATION_CLASS informationClass,
                                    PVOID information, SIZE_T informationLength);
    virtual FARPROC GetProcAddress(HMODULE module, LPCSTR procName);

    // user32
    virtual DWORD CharUpperBuffW(LPWSTR text, DWORD length);
    virtual int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

    // advapi32
    virtual LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired,
                                  PHKEY result);
    virtual LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type,
                                     LPBYTE data, LPDWORD dataSize);
    virtual LSTATUS RegCloseKey(HKEY key);
    virtual LSTATUS RegFlushKey(HKEY key);
    virtual LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength,
                                  LPDWORD reserved, LPWSTR className, LPDWORD classLength,
                                  PFILETIME lastWriteTime);
    // advapi32: who runs the setup check, for its fix file's access list
    virtual BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, PHANDLE token);
    virtual BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass,
                                     LPVOID information, DWORD informationLength,
                                     PDWORD returnLength);
};

// Returns the installed WindowsApi, the system's own unless a test installed
// another; never throws.
WindowsApi& Windows();

// Installs an api for its lifetime and puts the previous one back after.
class ScopedWindowsApi {
public:
    explicit ScopedWindowsApi(WindowsApi& api);
    ScopedWindowsApi(const ScopedWindowsApi&) = delete;
    ScopedWindowsApi& operator=(const ScopedWindowsApi&) = delete;
    ~ScopedWindowsApi();

private:
    WindowsApi* previous_;
};
