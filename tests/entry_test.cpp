#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "launcher/entry.h"
#include "platform/windows_api.h"

namespace {

// ExitProcess must not return; the fakes end the code under test with this.
struct ProcessExit {
    UINT code;
};

// ----------------------------------------------------------------------------
// The caption rule.

struct CaptionCase {
    const char* name;
    std::string path;  // may hold bytes after its terminator
    unsigned codePage;
    std::string caption;
};

void PrintTo(const CaptionCase& c, std::ostream* out) { *out << c.name; }

std::string Repeated(char unit, std::size_t count) { return std::string(count, unit); }

const CaptionCase kCaptionCases[] = {
    {"FullPath", "C:\\Program Files\\Korve\\KorveNembral.exe", 1252, "KorveNembral.exe"},
    {"LastBackslashWins", "C:\\a\\b\\c.exe", 1252, "c.exe"},
    {"BackslashBeforeLaterColon", "C:\\dir\\name:stream", 1252, "name:stream"},
    {"ColonOnly", "C:KorveNembral.exe", 1252, "KorveNembral.exe"},
    {"LastColonWins", "a:b:c.exe", 1252, "c.exe"},
    {"Neither", "KorveNembral.exe", 1252, "KorveNembral.exe"},
    {"TrailingBackslash", "C:\\dir\\", 1252, ""},
    {"TrailingColon", "C:", 1252, ""},
    {"Empty", "", 1252, ""},
    {"Unc", "\\\\server\\share\\Korve.exe", 1252, "Korve.exe"},
    {"LongPrefix", "\\\\?\\C:\\dir\\Korve.exe", 1252, "Korve.exe"},
    {"CutAt127Bytes", "C:\\" + Repeated('d', 100) + "\\" + Repeated('n', 23), 1252,
     Repeated('n', 23)},
    {"StopsAtTerminator", std::string("C:\\dir\\abc\0\\zz", 14), 1252, "abc"},
    // 0x95 0x5C is one Shift-JIS character whose trail byte is a backslash.
    {"ShiftJisTrailByteIsNoBackslash", "C:\\dir\\\x95\x5c.exe", 932, "\x95\x5c.exe"},
    {"SameBytesInWesternCodePage", "C:\\dir\\\x95\x5c.exe", 1252, ".exe"},
    {"ShiftJisTrailByteOnly", "\x95\x5c\x95\x5c", 932, "\x95\x5c\x95\x5c"},
    {"GbkTrailByteIsNoBackslash", "C:\\dir\\\xc4\x5c.exe", 936, "\xc4\x5c.exe"},
    // A lead byte whose trail was cut off: the step must not pass the terminator.
    {"LeadByteCutOff", std::string("C:\\dir\\ab\x95\0\\zz", 13), 932, "ab\x95"},
    {"Utf8", "C:\\dir\\\xc3\xa9t\xc3\xa9.exe", CP_UTF8, "\xc3\xa9t\xc3\xa9.exe"},
};

class CaptionRule : public testing::TestWithParam<CaptionCase> {};

TEST_P(CaptionRule, TakesThePartAfterTheLastSeparator)
{
    const CaptionCase& c = GetParam();
    const char* path = c.path.c_str();
    const char* caption = CaptionOfPath(path, c.codePage);
    ASSERT_GE(caption, path);
    ASSERT_LE(caption, path + std::strlen(path));
    EXPECT_EQ(c.caption, std::string(caption));
}

INSTANTIATE_TEST_SUITE_P(Paths, CaptionRule, testing::ValuesIn(kCaptionCases),
                         [](const testing::TestParamInfo<CaptionCase>& info) {
                             return std::string(info.param.name);
                         });

// ----------------------------------------------------------------------------
// A scripted platform: records the calls that matter here, in order, and
// answers them without touching the real system.

const HMODULE kKernelModule = reinterpret_cast<HMODULE>(0x4B000000);
const HKEY kOpenedKey = reinterpret_cast<HKEY>(0x5150);
const HANDLE kChildProcess = reinterpret_cast<HANDLE>(0x7770);
const HANDLE kChildThread = reinterpret_cast<HANDLE>(0x7774);

std::string Narrow(const wchar_t* text)
{
    std::string narrow;
    for (; text && *text; ++text) narrow += static_cast<char>(*text);
    return narrow;
}

struct Box {
    std::string text;
    std::string caption;
    UINT type;
    bool operator==(const Box& other) const
    {
        return text == other.text && caption == other.caption && type == other.type;
    }
};

void PrintTo(const Box& box, std::ostream* out)
{
    *out << "{\"" << box.text << "\", \"" << box.caption << "\", 0x" << std::hex << box.type
         << std::dec << "}";
}

class ScriptedApi;
ScriptedApi* activeApi = nullptr;
BOOL WINAPI RecordingSetDefaultDllDirectories(DWORD flags);
BOOL WINAPI RecordingSetThreadErrorMode(DWORD mode, LPDWORD previous);

class ScriptedApi : public WindowsApi {
public:
    ScriptedApi() : previous_(activeApi) { activeApi = this; }
    ~ScriptedApi() override { activeApi = previous_; }

    // What the platform answers.
    std::wstring commandLine = L"\"C:\\Apps\\KorveNembral.exe\" OLM";
    std::string modulePath = "C:\\Apps\\KorveNembral.exe";
    bool kernelFound = true;
    bool setterFound = true;
    DWORD valueType = REG_SZ;
    std::wstring value = L"C:\\Java\\bin\\javaw.exe";
    bool startSucceeds = true;
    bool startThrows = false;

    // What the code under test did.
    std::vector<std::string> events;
    std::vector<Box> boxes;
    HMODULE moduleFileNameModule = reinterpret_cast<HMODULE>(1);
    DWORD moduleFileNameSize = 0;

    void Record(const std::string& event) { events.push_back(event); }
    bool Happened(const std::string& event) const
    {
        for (const std::string& e : events)
            if (e == event) return true;
        return false;
    }

    HMODULE GetModuleHandleW(LPCWSTR moduleName) override
    {
        Record("GetModuleHandleW " + Narrow(moduleName));
        return kernelFound ? kKernelModule : nullptr;
    }

    FARPROC GetProcAddress(HMODULE module, LPCSTR procName) override
    {
        Record("GetProcAddress " + std::string(procName));
        if (module != kKernelModule) return nullptr;
        if (std::strcmp(procName, "SetThreadErrorMode") == 0)
            return reinterpret_cast<FARPROC>(
                reinterpret_cast<void (*)()>(&RecordingSetThreadErrorMode));
        if (!setterFound || std::strcmp(procName, "SetDefaultDllDirectories") != 0) return nullptr;
        return reinterpret_cast<FARPROC>(
            reinterpret_cast<void (*)()>(&RecordingSetDefaultDllDirectories));
    }

    BOOL HeapSetInformation(HANDLE heap, HEAP_INFORMATION_CLASS informationClass, PVOID information,
                            SIZE_T length) override
    {
        Record(std::string("HeapSetInformation ") + (heap ? "heap" : "null") + " " +
               std::to_string(informationClass) + " " + (information ? "info" : "null") + " " +
               std::to_string(length));
        return TRUE;
    }

    // No folder is there: the installed runtime is read.
    DWORD GetFileAttributesW(LPCWSTR) override
    {
        Record("GetFileAttributesW");
        return INVALID_FILE_ATTRIBUTES;
    }

    LPWSTR GetCommandLineW() override
    {
        Record("GetCommandLineW");
        return &commandLine[0];
    }

    DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) override
    {
        Record("GetModuleFileNameA");
        moduleFileNameModule = module;
        moduleFileNameSize = size;
        const DWORD length = static_cast<DWORD>(modulePath.size());
        if (length < size) {
            std::memcpy(fileName, modulePath.c_str(), length + 1);
            return length;
        }
        // The cut that Windows XP makes: the buffer full, no terminator.
        std::memcpy(fileName, modulePath.data(), size);
        return size;
    }

    LSTATUS RegOpenKeyExW(HKEY, LPCWSTR subKey, DWORD, REGSAM, PHKEY result) override
    {
        Record("RegOpenKeyExW " + Narrow(subKey));
        *result = kOpenedKey;
        return ERROR_SUCCESS;
    }

    LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD, LPDWORD type, LPBYTE data,
                             LPDWORD dataSize) override
    {
        Record("RegQueryValueExW " + Narrow(valueName));
        if (key != kOpenedKey) return ERROR_INVALID_HANDLE;
        const DWORD size =
            valueType == REG_SZ ? static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)) : 4;
        if (type) *type = valueType;
        if (data) {
            if (!dataSize || *dataSize < size) return ERROR_MORE_DATA;
            if (valueType == REG_SZ)
                std::memcpy(data, value.c_str(), size);
            else
                std::memset(data, 0x2A, size);
        }
        if (dataSize) *dataSize = size;
        return ERROR_SUCCESS;
    }

    LSTATUS RegCloseKey(HKEY key) override
    {
        Record("RegCloseKey");
        return key == kOpenedKey ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    }

    LSTATUS RegFlushKey(HKEY) override { return ERROR_SUCCESS; }

    BOOL SetCurrentDirectoryA(LPCSTR pathName) override
    {
        Record("SetCurrentDirectoryA " + std::string(pathName));
        return TRUE;
    }

    BOOL CreateProcessA(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD,
                        LPVOID, LPCSTR, LPSTARTUPINFOA, LPPROCESS_INFORMATION started) override
    {
        Record("CreateProcessA");
        if (startThrows) throw std::bad_alloc();
        if (!startSucceeds) return FALSE;
        started->hProcess = kChildProcess;
        started->hThread = kChildThread;
        started->dwProcessId = 4242;
        started->dwThreadId = 4243;
        return TRUE;
    }

    DWORD GetLastError() override { return ERROR_FILE_NOT_FOUND; }

    DWORD WaitForSingleObject(HANDLE, DWORD) override
    {
        Record("WaitForSingleObject");
        return WAIT_OBJECT_0;
    }

    BOOL CloseHandle(HANDLE object) override
    {
        if (object == kChildProcess || object == kChildThread) {
            Record("CloseHandle");
            return TRUE;
        }
        return WindowsApi::CloseHandle(object);
    }

    int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override
    {
        Record("MessageBoxA");
        EXPECT_EQ(nullptr, owner);
        boxes.push_back(Box{text, caption, type});
        return IDOK;
    }

    void ExitProcess(UINT exitCode) override
    {
        Record("ExitProcess " + std::to_string(exitCode));
        throw ProcessExit{exitCode};
    }

private:
    ScriptedApi* previous_;
};

BOOL WINAPI RecordingSetDefaultDllDirectories(DWORD flags)
{
    char event[64];
    std::snprintf(event, sizeof event, "SetDefaultDllDirectories 0x%lX",
                  static_cast<unsigned long>(flags));
    if (activeApi) activeApi->Record(event);
    return TRUE;
}

BOOL WINAPI RecordingSetThreadErrorMode(DWORD mode, LPDWORD previous)
{
    if (activeApi) activeApi->Record("SetThreadErrorMode " + std::to_string(mode));
    if (previous) *previous = 0;
    return TRUE;
}

const UINT kAbnormalBoxType = 0x12010;
const char kAbnormalText[] = "Abnormal program termination";

// ----------------------------------------------------------------------------
// TerminateAbnormally at the seam.

struct ModulePathCase {
    const char* name;
    std::string modulePath;
    std::string caption;
};

void PrintTo(const ModulePathCase& c, std::ostream* out) { *out << c.name; }

const ModulePathCase kModulePathCases[] = {
    {"Installed", "C:\\Apps\\KorveNembral.exe", "KorveNembral.exe"},
    {"Renamed", "E:\\Outra Pasta\\Outro Nome.exe", "Outro Nome.exe"},
    {"Fits127Bytes", "C:\\" + Repeated('d', 100) + "\\" + Repeated('n', 23), Repeated('n', 23)},
    // Cut by the platform at 128 bytes with no terminator: 127 of them remain.
    {"Exactly128Bytes", "C:\\" + Repeated('d', 100) + "\\" + Repeated('n', 24), Repeated('n', 23)},
    {"CutInTheFileName", "C:\\" + Repeated('d', 60) + "\\" + Repeated('n', 136), Repeated('n', 63)},
    {"CutBeforeTheLastBackslash", "C:\\dir\\" + Repeated('x', 130) + "\\tail.exe",
     Repeated('x', 120)},
};

class AbnormalEnd : public testing::TestWithParam<ModulePathCase> {};

TEST_P(AbnormalEnd, ShowsTheBoxCaptionedWithTheFileNameThenExitsWithThree)
{
    ScriptedApi api;
    api.modulePath = GetParam().modulePath;
    ScopedWindowsApi installed(api);

    try {
        TerminateAbnormally();
        ADD_FAILURE() << "TerminateAbnormally returned";
    } catch (const ProcessExit& exit) {
        EXPECT_EQ(3u, exit.code);
    }

    EXPECT_EQ(nullptr, api.moduleFileNameModule);
    EXPECT_EQ(128u, api.moduleFileNameSize);
    EXPECT_EQ((std::vector<Box>{{kAbnormalText, GetParam().caption, kAbnormalBoxType}}), api.boxes);
    EXPECT_EQ((std::vector<std::string>{"GetModuleFileNameA", "MessageBoxA", "ExitProcess 3"}),
              api.events);
}

INSTANTIATE_TEST_SUITE_P(ModulePaths, AbnormalEnd, testing::ValuesIn(kModulePathCases),
                         [](const testing::TestParamInfo<ModulePathCase>& info) {
                             return std::string(info.param.name);
                         });

class FailingModuleNameApi : public ScriptedApi {
public:
    DWORD GetModuleFileNameA(HMODULE, LPSTR fileName, DWORD size) override
    {
        // Nothing is promised about the buffer after a failure.
        std::memset(fileName, 'Z', size);
        return 0;
    }
};

TEST(AbnormalEnd, FailedPathLookupGivesAnEmptyCaption)
{
    FailingModuleNameApi api;
    ScopedWindowsApi installed(api);
    EXPECT_THROW(TerminateAbnormally(), ProcessExit);
    EXPECT_EQ((std::vector<Box>{{kAbnormalText, "", kAbnormalBoxType}}), api.boxes);
}

// ----------------------------------------------------------------------------
// The DLL-search hardening: the first thing WinMain does.

struct HardeningCase {
    const char* name;
    std::wstring commandLine;
    bool kernelFound;
    bool setterFound;
    std::vector<std::string> firstEvents;
};

void PrintTo(const HardeningCase& c, std::ostream* out) { *out << c.name; }

const std::wstring kFixedInstallation = L"\"C:\\Apps\\KorveNembral.exe\" OLM";
const char kHeapHardening[] = "HeapSetInformation null 1 null 0";

const HardeningCase kHardeningCases[] = {
    {"Available",
     kFixedInstallation,
     true,
     true,
     {kHeapHardening, "GetModuleHandleW kernel32.dll", "GetProcAddress SetDefaultDllDirectories",
      "SetDefaultDllDirectories 0x800", "GetCommandLineW"}},
    {"MissingFunction",
     kFixedInstallation,
     true,
     false,
     {kHeapHardening, "GetModuleHandleW kernel32.dll", "GetProcAddress SetDefaultDllDirectories",
      "GetCommandLineW"}},
    {"MissingModule",
     kFixedInstallation,
     false,
     true,
     {kHeapHardening, "GetModuleHandleW kernel32.dll", "GetCommandLineW"}},
    // The directory test is the first call that may reach a drive.
    {"DirectoryTestFailsCriticalErrors",
     L"\"C:\\Apps\\KorveNembral.exe\"",
     true,
     true,
     {kHeapHardening, "GetModuleHandleW kernel32.dll", "GetProcAddress SetDefaultDllDirectories",
      "SetDefaultDllDirectories 0x800", "GetCommandLineW", "GetModuleHandleW kernel32.dll",
      "GetProcAddress SetThreadErrorMode", "SetThreadErrorMode 1", "GetFileAttributesW",
      "SetThreadErrorMode 0"}},
};

class DllSearchHardening : public testing::TestWithParam<HardeningCase> {};

TEST_P(DllSearchHardening, ComesFirstAndNeverStopsThePass)
{
    ScriptedApi api;
    api.commandLine = GetParam().commandLine;
    api.kernelFound = GetParam().kernelFound;
    api.setterFound = GetParam().setterFound;
    ScopedWindowsApi installed(api);

    EXPECT_EQ(0, WinMain(nullptr, nullptr, nullptr, SW_SHOWMINIMIZED));

    const std::vector<std::string>& expected = GetParam().firstEvents;
    ASSERT_GE(api.events.size(), expected.size());
    EXPECT_EQ(expected,
              std::vector<std::string>(api.events.begin(), api.events.begin() + expected.size()));
    EXPECT_TRUE(api.Happened("CreateProcessA"));
    EXPECT_FALSE(api.Happened("ExitProcess 3"));
}

INSTANTIATE_TEST_SUITE_P(Platforms, DllSearchHardening, testing::ValuesIn(kHardeningCases),
                         [](const testing::TestParamInfo<HardeningCase>& info) {
                             return std::string(info.param.name);
                         });

// ----------------------------------------------------------------------------
// WinMain: one pass, then status 0, or the abnormal end.

struct PassCase {
    const char* name;
    std::wstring commandLine;
    DWORD valueType;
    bool startSucceeds;
    bool startThrows;
    bool exitsWithThree;
    bool startAttempted;
    std::vector<Box> boxes;
};

void PrintTo(const PassCase& c, std::ostream* out) { *out << c.name; }

const PassCase kPassCases[] = {
    {"ChildStartedAndEnded",
     L"\"C:\\Apps\\KorveNembral.exe\" OLM",
     REG_SZ,
     true,
     false,
     false,
     true,
     {}},
    {"RefusedStartIsReported",
     L"\"C:\\Apps\\KorveNembral.exe\" OLM",
     REG_SZ,
     false,
     false,
     false,
     true,
     {{"Erro 2 ao executar o aplicativo.", "Erro", MB_ICONERROR}}},
    {"EmptyPlanIsReported",
     L"\"C:\\Apps\\KorveNembral.exe\" OLMX",
     REG_SZ,
     false,
     false,
     false,
     true,
     {{"Erro 2 ao executar o aplicativo.", "Erro", MB_ICONERROR}}},
    {"BinaryValueEndsAbnormally",
     L"\"C:\\Apps\\KorveNembral.exe\" OLM",
     REG_BINARY,
     true,
     false,
     true,
     false,
     {{kAbnormalText, "KorveNembral.exe", kAbnormalBoxType}}},
    {"DwordValueEndsAbnormally",
     L"\"C:\\Apps\\KorveNembral.exe\" olm",
     REG_DWORD,
     true,
     false,
     true,
     false,
     {{kAbnormalText, "KorveNembral.exe", kAbnormalBoxType}}},
    {"AnyOtherExceptionEndsAbnormally",
     L"\"C:\\Apps\\KorveNembral.exe\" OLM",
     REG_SZ,
     true,
     true,
     true,
     true,
     {{kAbnormalText, "KorveNembral.exe", kAbnormalBoxType}}},
};

class Pass : public testing::TestWithParam<PassCase> {};

TEST_P(Pass, EndsWithItsStatus)
{
    const PassCase& c = GetParam();
    ScriptedApi api;
    api.commandLine = c.commandLine;
    api.valueType = c.valueType;
    api.startSucceeds = c.startSucceeds;
    api.startThrows = c.startThrows;
    ScopedWindowsApi installed(api);

    // None of the parameters is read, so none needs to be meaningful.
    if (c.exitsWithThree) {
        try {
            WinMain(nullptr, nullptr, nullptr, 0);
            ADD_FAILURE() << "WinMain returned";
        } catch (const ProcessExit& exit) {
            EXPECT_EQ(3u, exit.code);
        }
        ASSERT_FALSE(api.events.empty());
        EXPECT_EQ("ExitProcess 3", api.events.back());
    } else {
        EXPECT_EQ(0, WinMain(nullptr, nullptr, nullptr, 0));
        EXPECT_FALSE(api.Happened("ExitProcess 3"));
    }
    EXPECT_EQ(c.boxes, api.boxes);
    EXPECT_EQ(c.startAttempted, api.Happened("CreateProcessA"));
    const bool started = c.startSucceeds && !c.startThrows && c.startAttempted;
    EXPECT_EQ(started, api.Happened("WaitForSingleObject"));
}

INSTANTIATE_TEST_SUITE_P(Outcomes, Pass, testing::ValuesIn(kPassCases),
                         [](const testing::TestParamInfo<PassCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
