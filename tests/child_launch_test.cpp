#include "launcher/child_launch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include "platform/windows_api.h"
#include "tests/support/temp_folder.h"

namespace {

const HANDLE kProcess = reinterpret_cast<HANDLE>(0x44);
const HANDLE kThread = reinterpret_cast<HANDLE>(0x48);
const HMODULE kKernel = reinterpret_cast<HMODULE>(0x4C);
// Wine never asks for a disk, whatever the error mode, so only the seam shows
// that critical errors fail around the start and that the caller's thread
// mode, which must come back after it, does.
const DWORD kCallersThreadMode = SEM_NOOPENFILEERRORBOX;

std::vector<std::string>* threadModeCalls = nullptr;
DWORD threadMode = kCallersThreadMode;

BOOL WINAPI RecordingSetThreadErrorMode(DWORD mode, LPDWORD previous)
{
    char call[48];
    std::snprintf(call, sizeof call, "SetThreadErrorMode 0x%lX", static_cast<unsigned long>(mode));
    threadModeCalls->push_back(call);
    if (previous) *previous = threadMode;
    threadMode = mode;
    return TRUE;
}

// Records the launch's calls in order and answers the start as told.
class LaunchWindows : public WindowsApi {
public:
    LaunchWindows() : scope_(*this)
    {
        threadModeCalls = &calls;
        threadMode = kCallersThreadMode;
    }
    ~LaunchWindows() override { threadModeCalls = nullptr; }

    bool threadModeAvailable = true;
    bool startThrows = false;
    bool startSucceeds = true;
    DWORD startError = 0;
    std::vector<std::string> calls;

    // What CreateProcessA received.
    bool applicationNameNull = false;
    std::string commandLine;
    bool commandLineWritable = false;
    bool attributesNull = false;
    BOOL inheritHandles = FALSE;
    DWORD creationFlags = ~0u;
    bool environmentNull = false;
    const char* currentDirectory = nullptr;
    STARTUPINFOA startup{};
    bool resultRecordZeroed = false;

    // What MessageBoxA received.
    std::string boxText, boxCaption;
    UINT boxType = ~0u;
    bool boxOwnerNull = false;

    BOOL SetCurrentDirectoryA(LPCSTR path) override
    {
        calls.push_back(std::string("SetCurrentDirectoryA ") + (path ? path : "<null>"));
        return FALSE;
    }
    BOOL CreateProcessA(LPCSTR applicationName, LPSTR line, LPSECURITY_ATTRIBUTES process,
                        LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags, LPVOID environment,
                        LPCSTR directory, LPSTARTUPINFOA info,
                        LPPROCESS_INFORMATION result) override
    {
        calls.push_back("CreateProcessA");
        applicationNameNull = applicationName == nullptr;
        commandLine = line ? line : "<null>";
        if (line) {
            line[0] = line[0];  // the platform may write here
            commandLineWritable = true;
        }
        attributesNull = process == nullptr && thread == nullptr;
        inheritHandles = inherit;
        creationFlags = flags;
        environmentNull = environment == nullptr;
        currentDirectory = directory;
        startup = *info;
        const PROCESS_INFORMATION zero{};
        resultRecordZeroed = std::memcmp(result, &zero, sizeof zero) == 0;
        if (startThrows) throw std::bad_alloc();
        if (!startSucceeds) {
            lastError_ = startError;
            return FALSE;
        }
        result->hProcess = kProcess;
        result->hThread = kThread;
        result->dwProcessId = 7;
        result->dwThreadId = 8;
        return TRUE;
    }
    DWORD GetLastError() override
    {
        calls.push_back("GetLastError");
        return lastError_;
    }
    DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override
    {
        calls.push_back(std::string("WaitForSingleObject ") + Name(handle) +
                        (milliseconds == INFINITE ? " INFINITE" : " limited"));
        return WAIT_OBJECT_0;
    }
    BOOL CloseHandle(HANDLE handle) override
    {
        calls.push_back(std::string("CloseHandle ") + Name(handle));
        return TRUE;
    }
    HMODULE GetModuleHandleW(LPCWSTR name) override
    {
        return std::wstring(name) == L"kernel32.dll" ? kKernel : nullptr;
    }
    FARPROC GetProcAddress(HMODULE module, LPCSTR name) override
    {
        if (module != kKernel || !threadModeAvailable || std::string(name) != "SetThreadErrorMode")
            return nullptr;
        return reinterpret_cast<FARPROC>(
            reinterpret_cast<void (*)()>(&RecordingSetThreadErrorMode));
    }
    int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override
    {
        calls.push_back("MessageBoxA");
        boxOwnerNull = owner == nullptr;
        boxText = text;
        boxCaption = caption;
        boxType = type;
        return IDOK;
    }

private:
    static const char* Name(HANDLE handle)
    {
        return handle == kProcess ? "process" : handle == kThread ? "thread" : "other";
    }

    ScopedWindowsApi scope_;
    DWORD lastError_ = 0;
};

LaunchPlan Plan(const char* commandLine, const char* directory)
{
    return LaunchPlan{AnsiString(commandLine), AnsiString(directory)};
}

TEST(LaunchChild, StartsHiddenInThePlansDirectoryWaitsAndClosesProcessThenThread)
{
    LaunchWindows windows;
    const LaunchPlan plan = Plan("\"C:\\J\\bin\\Javaw.exe\" -jar x --start", "E:\\Apps");

    EXPECT_EQ(0, LaunchChild(plan));

    // Critical errors fail for the directory and the start only; the
    // caller's thread mode is back before the wait.
    EXPECT_EQ((std::vector<std::string>{"SetThreadErrorMode 0x1", "SetCurrentDirectoryA E:\\Apps",
                                        "CreateProcessA", "SetThreadErrorMode 0x8000",
                                        "WaitForSingleObject process INFINITE",
                                        "CloseHandle process", "CloseHandle thread"}),
              windows.calls);
    EXPECT_TRUE(windows.applicationNameNull);
    EXPECT_EQ("\"C:\\J\\bin\\Javaw.exe\" -jar x --start", windows.commandLine);
    EXPECT_TRUE(windows.commandLineWritable);
    EXPECT_TRUE(windows.attributesNull);
    EXPECT_EQ(TRUE, windows.inheritHandles);
    EXPECT_EQ(0u, windows.creationFlags);
    EXPECT_TRUE(windows.environmentNull);
    ASSERT_NE(nullptr, windows.currentDirectory);
    EXPECT_TRUE(windows.resultRecordZeroed);
    // The plan itself is untouched, whatever the platform wrote into its copy.
    EXPECT_STREQ("\"C:\\J\\bin\\Javaw.exe\" -jar x --start", plan.CommandLine.CStr());
}

TEST(LaunchChild, StartRecordHoldsOnlyItsSizeAndTheHideFlag)
{
    LaunchWindows windows;
    LaunchChild(Plan("a", "b"));

    STARTUPINFOA expected;
    std::memset(&expected, 0, sizeof expected);
    expected.cb = 68;
    expected.dwFlags = STARTF_USESHOWWINDOW;
    expected.wShowWindow = SW_HIDE;
    EXPECT_EQ(68u, windows.startup.cb);
    EXPECT_EQ(0, std::memcmp(&expected, &windows.startup, sizeof expected));
}

TEST(LaunchChild, EmptyPlanPassesEmptyTextsNeverNull)
{
    LaunchWindows windows;
    windows.startSucceeds = false;
    windows.startError = ERROR_INVALID_PARAMETER;

    EXPECT_EQ(0, LaunchChild(LaunchPlan{}));

    EXPECT_EQ("SetCurrentDirectoryA ", windows.calls.at(1));
    EXPECT_EQ("", windows.commandLine);
    EXPECT_TRUE(windows.commandLineWritable);
    ASSERT_NE(nullptr, windows.currentDirectory);
    EXPECT_STREQ("", windows.currentDirectory);
    EXPECT_EQ("Erro 87 ao executar o aplicativo.", windows.boxText);
}

struct RefusalCase {
    DWORD code;
    const char* text;
};

class RefusedStart : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusedStart, ReadsTheErrorAtOnceAndReportsItAsSignedDecimal)
{
    LaunchWindows windows;
    windows.startSucceeds = false;
    windows.startError = GetParam().code;

    EXPECT_EQ(0, LaunchChild(Plan("\"C:\\missing\\Javaw.exe\"", "C:\\")));

    EXPECT_EQ((std::vector<std::string>{"SetThreadErrorMode 0x1", "SetCurrentDirectoryA C:\\",
                                        "CreateProcessA", "GetLastError",
                                        "SetThreadErrorMode 0x8000", "MessageBoxA"}),
              windows.calls);
    EXPECT_EQ(GetParam().text, windows.boxText);
    EXPECT_EQ("Erro", windows.boxCaption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR | MB_OK), windows.boxType);
    EXPECT_EQ(0x10u, windows.boxType);
    EXPECT_TRUE(windows.boxOwnerNull);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, RefusedStart,
    ::testing::Values(RefusalCase{2, "Erro 2 ao executar o aplicativo."},
                      RefusalCase{0, "Erro 0 ao executar o aplicativo."},
                      RefusalCase{0x80070005u, "Erro -2147024891 ao executar o aplicativo."},
                      RefusalCase{0xFFFFFFFFu, "Erro -1 ao executar o aplicativo."}));

struct PathCase {
    const char* name;
    bool threadModeAvailable;
    bool startThrows;
    DWORD planRefusal;
    std::vector<std::string> calls;
};

void PrintTo(const PathCase& c, std::ostream* out) { *out << c.name; }

const PathCase kPathCases[] = {
    // The start throws: the caller's thread mode is back all the same.
    {"StartThrows",
     true,
     true,
     0,
     {"SetThreadErrorMode 0x1", "SetCurrentDirectoryA C:\\", "CreateProcessA",
      "SetThreadErrorMode 0x8000"}},
    // Before Windows 7: the start goes on without the thread mode.
    {"NoThreadErrorMode",
     false,
     false,
     0,
     {"SetCurrentDirectoryA C:\\", "CreateProcessA", "WaitForSingleObject process INFINITE",
      "CloseHandle process", "CloseHandle thread"}},
    // A plan refused by its resolution touches neither directory nor process.
    {"RefusedPlan", true, false, ERROR_FILE_NOT_FOUND, {"MessageBoxA"}},
};

class LaunchPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(LaunchPath, PutsTheThreadModeBackOnEveryPath)
{
    const PathCase& c = GetParam();
    LaunchWindows windows;
    windows.threadModeAvailable = c.threadModeAvailable;
    windows.startThrows = c.startThrows;
    LaunchPlan plan = Plan("\"\\bin\\Javaw.exe\" -jar x", "C:\\");
    plan.RefusalCode = c.planRefusal;

    if (c.startThrows)
        EXPECT_THROW(LaunchChild(plan), std::bad_alloc);
    else
        EXPECT_EQ(0, LaunchChild(plan));

    EXPECT_EQ(c.calls, windows.calls);
    EXPECT_EQ(kCallersThreadMode, threadMode);
    if (c.planRefusal) {
        EXPECT_EQ("Erro 2 ao executar o aplicativo.", windows.boxText);
    }
}

INSTANTIATE_TEST_SUITE_P(Paths, LaunchPath, ::testing::ValuesIn(kPathCases),
                         [](const ::testing::TestParamInfo<PathCase>& info) {
                             return std::string(info.param.name);
                         });

// Lets every call reach the system but the failure box, which would wait for a
// click that never comes.
class BoxlessWindows : public WindowsApi {
public:
    BoxlessWindows() : scope_(*this) {}
    std::string boxText;
    int MessageBoxA(HWND, LPCSTR text, LPCSTR, UINT) override
    {
        boxText = text;
        return IDOK;
    }

private:
    ScopedWindowsApi scope_;
};

// Puts the process's current directory and the stand-in's environment back.
class RealChild : public ::testing::Test {
protected:
    RealChild()
    {
        ::GetCurrentDirectoryW(MAX_PATH, savedDirectory_);
        ::SetEnvironmentVariableW(L"STANDIN_RECORD", (folder / L"record.txt").c_str());
        ::SetEnvironmentVariableW(L"STANDIN_SLEEP_MS", L"400");
    }
    ~RealChild() override
    {
        ::SetCurrentDirectoryW(savedDirectory_);
        ::SetEnvironmentVariableW(L"STANDIN_RECORD", nullptr);
        ::SetEnvironmentVariableW(L"STANDIN_SLEEP_MS", nullptr);
    }

    static std::string Narrow(const std::wstring& text)
    {
        return std::string(text.begin(), text.end());
    }

    TempFolder folder;
    BoxlessWindows windows;

private:
    wchar_t savedDirectory_[MAX_PATH] = {};
};

TEST_F(RealChild, RunsHiddenInThePlansDirectoryAndIsAwaited)
{
    const std::string javaw = Narrow(WindowsPath(TOOLS_DIR_WINPATH)) + "\\Javaw.exe";
    const std::string commandLine = "\"" + javaw + "\" -jar \"x y.jar\" --start";
    const LaunchPlan plan{AnsiString(commandLine.c_str()),
                          AnsiString(Narrow(folder.Path()).c_str())};

    const ULONGLONG before = ::GetTickCount64();
    EXPECT_EQ(0, LaunchChild(plan));
    const ULONGLONG after = ::GetTickCount64();
    EXPECT_EQ("", windows.boxText);

    const std::string record = ReadFileBytes(folder / L"record.txt");
    EXPECT_NE(std::string::npos, record.find("command_line=" + commandLine + "\n")) << record;
    EXPECT_NE(std::string::npos, record.find("current_directory=" + Narrow(folder.Path()) + "\n"))
        << record;
    EXPECT_NE(std::string::npos, record.find("flags=1\n")) << record;
    EXPECT_NE(std::string::npos, record.find("show_window=0\n")) << record;
    // The stand-in writes its last line just before it ends, after its sleep.
    EXPECT_NE(std::string::npos, record.find("ended_ms=")) << record;
    EXPECT_GE(after - before, 400u);
}

}  // namespace
