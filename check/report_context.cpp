#include "check/report_context.h"

#include <windows.h>

#include <cstring>

#include "check/check_version.h"
#include "check/program_finding.h"
#include "platform/windows_api.h"
#include "text/conversion.h"
#include "text/format.h"

ReportContext GatherReportContext()
{
    ReportContext context;
    context.checkVersion = CHECK_VERSION_TEXT;
    SYSTEMTIME now;
    std::memset(&now, 0, sizeof now);
    Windows().GetSystemTime(&now);
    AnsiString time;
    FormatText(time, "%04u-%02u-%02uT%02u:%02u:%02uZ", now.wYear, now.wMonth, now.wDay, now.wHour,
               now.wMinute, now.wSecond);
    context.time = ToUnicodeString(time);
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (Windows().GetComputerNameW(name, &length))
        context.computerName = UnicodeString(name, static_cast<int>(length));
    // The manifest names every Windows up to 10 (and 11, which is 10.0), so the
    // version is the system's own, not the one shown to unmanifested programs.
    OSVERSIONINFOW version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (Windows().GetVersionExW(&version)) {
        context.windowsMajor = version.dwMajorVersion;
        context.windowsMinor = version.dwMinorVersion;
        context.windowsBuild = version.dwBuildNumber;
    }
    context.architecture = ArchitectureName(NativeArchitecture());
    context.ansiCodePage = Windows().GetACP();
    context.oemCodePage = Windows().GetOEMCP();
    return context;
}
