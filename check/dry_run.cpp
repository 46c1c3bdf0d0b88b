#include "check/dry_run.h"

#include "launcher/child_launch.h"
#include "platform/arguments.h"
#include "platform/registry.h"
#include "platform/windows_api.h"

namespace {
// Answers what would change the process or the screen, records what the
// launcher asked for, and passes every read on to the system.
class DryRunApi : public WindowsApi {
public:
    DryRunApi(const UnicodeString& commandLine, DryRun& record)
        : commandLine_(commandLine), record_(record)
    {
    }

    LPWSTR GetCommandLineW() override { return commandLine_.Data(); }

    BOOL SetCurrentDirectoryA(LPCSTR) override { return TRUE; }

    DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD bufferLength) override
    {
        const DWORD length = WindowsApi::GetShortPathNameW(longPath, shortPath, bufferLength);
        if (shortPath && length > 0 && length < bufferLength)
            record_.shortNamePaths.push_back(UnicodeString(longPath));
        return length;
    }

    BOOL CreateProcessA(LPCSTR, LPSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                        BOOL, DWORD, LPVOID, LPCSTR currentDirectory, LPSTARTUPINFOA,
                        LPPROCESS_INFORMATION) override
    {
        record_.startAsked = true;
        record_.startCommandLine = AnsiString(commandLine);
        record_.startDirectory = AnsiString(currentDirectory);
        startAnswered_ = true;
        return FALSE;
    }

    // Right after the unanswered start, the launcher asks why it failed.
    DWORD GetLastError() override
    {
        if (!startAnswered_) return WindowsApi::GetLastError();
        startAnswered_ = false;
        return ERROR_SUCCESS;
    }

    int MessageBoxA(HWND, LPCSTR text, LPCSTR, UINT) override
    {
        record_.boxText = AnsiString(text);
        return IDOK;
    }

    LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM desired,
                          PHKEY result) override
    {
        const LSTATUS status = WindowsApi::RegOpenKeyExW(key, subKey, options, desired, result);
        if (status == ERROR_SUCCESS) record_.lastKeyAccess = desired;
        return status;
    }

    LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize) override
    {
        const LSTATUS status =
            WindowsApi::RegQueryValueExW(key, valueName, reserved, type, data, dataSize);
        record_.lastValueName = UnicodeString(valueName);
        record_.lastValueType = type ? *type : REG_NONE;
        return status;
    }

private:
    UnicodeString commandLine_;
    DryRun& record_;
    bool startAnswered_ = false;
};
}  // namespace

DryRun RunLauncherDry(const UnicodeString& launcherLine)
{
    DryRun record;
    DryRunApi api(launcherLine, record);
    const ScopedWindowsApi installed(api);
    record.hasArgument = ArgumentCount() != 0;
    if (record.hasArgument) record.firstArgument = ArgumentAt(1);
    record.workingFolder = CurrentDirectory();
    try {
        ResolveLaunchPlanInto(record.plan);
    } catch (const ERegistryException& error) {
        record.abnormal = true;
        record.errorMessage = error.Message();
        return record;
    }
    LaunchChild(record.plan);
    return record;
}
