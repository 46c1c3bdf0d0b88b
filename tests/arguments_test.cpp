#include "platform/arguments.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/windows_api.h"
#include "tests/support/temp_folder.h"

namespace {

std::wstring Wide(const UnicodeString& text) { return std::wstring(text.CStr(), text.Length()); }

UnicodeString Text(const std::wstring& units)
{
    return UnicodeString(units.data(), static_cast<int>(units.size()));
}

// Shows every code unit outside printable ASCII as \x{...}, so a failing
// command line can be read and replayed.
std::string Escaped(const std::wstring& units)
{
    std::string shown;
    for (wchar_t unit : units) {
        const unsigned value = static_cast<unsigned short>(unit);
        if (value >= 0x21 && value < 0x7F && value != '\\') {
            shown += static_cast<char>(value);
        } else {
            char code[16];
            std::snprintf(code, sizeof code, "\\x{%X}", value);
            shown += code;
        }
    }
    return shown;
}

std::wstring RealExecutablePath()
{
    wchar_t path[32768] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, 32768);
    return std::wstring(path, n);
}

// Holds a command line so that its terminating 0 is the last unit of a
// readable page and the next page cannot be touched: a read past the end
// faults at once.
class GuardedCommandLine {
public:
    GuardedCommandLine()
    {
        SYSTEM_INFO system;
        ::GetSystemInfo(&system);
        pageSize_ = system.dwPageSize;
        base_ = static_cast<char*>(
            ::VirtualAlloc(nullptr, 2 * pageSize_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD previous = 0;
        guarded_ =
            base_ && ::VirtualProtect(base_ + pageSize_, pageSize_, PAGE_NOACCESS, &previous);
        guardPage = base_ + pageSize_;
        guardSize = pageSize_;
        handler_ = ::AddVectoredExceptionHandler(1, &ReportReadPastTheEnd);
    }
    GuardedCommandLine(const GuardedCommandLine&) = delete;
    GuardedCommandLine& operator=(const GuardedCommandLine&) = delete;
    ~GuardedCommandLine()
    {
        if (handler_) ::RemoveVectoredExceptionHandler(handler_);
        guardPage = nullptr;
        if (base_) ::VirtualFree(base_, 0, MEM_RELEASE);
    }

    bool IsGuarded() const { return guarded_; }

    // Places `units` and a 0 right before the guard page; returns where they start.
    wchar_t* Place(const std::wstring& units)
    {
        const size_t bytes = (units.size() + 1) * sizeof(wchar_t);
        wchar_t* start = reinterpret_cast<wchar_t*>(base_ + pageSize_ - bytes);
        std::memcpy(start, units.c_str(), bytes);
        return start;
    }

private:
    // A touch of the guard page ends the test program at once with a message,
    // rather than leaving it to the system's crash handling, which may wait.
    static LONG CALLBACK ReportReadPastTheEnd(EXCEPTION_POINTERS* exception)
    {
        const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
        if (record.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record.NumberParameters < 2)
            return EXCEPTION_CONTINUE_SEARCH;
        const char* address = reinterpret_cast<const char*>(record.ExceptionInformation[1]);
        if (!guardPage || address < guardPage || address >= guardPage + guardSize)
            return EXCEPTION_CONTINUE_SEARCH;
        std::fprintf(stderr, "FAILED: read past the command line's terminating 0\n");
        std::fflush(stderr);
        ::TerminateProcess(::GetCurrentProcess(), 3);
        return EXCEPTION_CONTINUE_SEARCH;
    }

    static inline const char* guardPage = nullptr;
    static inline DWORD guardSize = 0;

    DWORD pageSize_ = 0;
    char* base_ = nullptr;
    bool guarded_ = false;
    PVOID handler_ = nullptr;
};

// Hands out a fixed command line, guarded by a page boundary, and counts the reads.
class CommandLineWindows : public WindowsApi {
public:
    CommandLineWindows() : scope_(*this) {}

    void Set(const std::wstring& line) { line_ = guard_.Place(line); }
    bool IsGuarded() const { return guard_.IsGuarded(); }

    LPWSTR GetCommandLineW() override
    {
        ++commandLineReads;
        return line_;
    }

    int commandLineReads = 0;

private:
    GuardedCommandLine guard_;
    wchar_t* line_ = nullptr;
    ScopedWindowsApi scope_;
};

// ---------------------------------------------------------------------------
// Splitting: the fixed cases.

struct SplitCase {
    std::wstring commandLine;
    std::vector<std::wstring> arguments;  // after the program token
};

void PrintTo(const SplitCase& row, std::ostream* out) { *out << Escaped(row.commandLine); }

class CommandLineSplitting : public ::testing::TestWithParam<SplitCase> {};

TEST_P(CommandLineSplitting, GivesTheCountAndEveryArgument)
{
    const SplitCase& row = GetParam();
    CommandLineWindows windows;
    ASSERT_TRUE(windows.IsGuarded());
    windows.Set(row.commandLine);
    const int count = static_cast<int>(row.arguments.size());

    EXPECT_EQ(count, ArgumentCount());
    for (int k = 1; k <= count; ++k)
        EXPECT_EQ(row.arguments[k - 1], Wide(ArgumentAt(k))) << "argument " << k;
    EXPECT_EQ(L"", Wide(ArgumentAt(count + 1)));
    EXPECT_EQ(L"", Wide(ArgumentAt(count + 2)));
    EXPECT_EQ(L"", Wide(ArgumentAt(-1)));
    EXPECT_EQ(L"", Wide(ArgumentAt(INT_MIN)));
    EXPECT_EQ(L"", Wide(ArgumentAt(INT_MAX)));
    // Whatever the program token says, index 0 is the executable's real path.
    EXPECT_EQ(RealExecutablePath(), Wide(ArgumentAt(0)));
}

const SplitCase kSplitCases[] = {
    {L"prog.exe", {}},
    {L"prog.exe OLM", {L"OLM"}},
    {L"\"C:\\Program Files\\App\\prog.exe\" olm extra", {L"olm", L"extra"}},
    {L"prog.exe \"\" OLM", {L"OLM"}},
    {L"prog.exe \"\" \"\"", {}},
    {L"prog.exe \"\"OLM", {L"OLM"}},
    {L"prog.exe \"\"\" OLM", {L" OLM"}},
    {L"prog.exe O\"L\"M", {L"OLM"}},
    {L"prog.exe OLM\"\"", {L"OLM"}},
    {L"prog.exe \"O L M\"", {L"O L M"}},
    {L"prog.exe \"OLM", {L"OLM"}},
    {L"prog.exe \"C:\\Dir\\\" next", {L"C:\\Dir\\", L"next"}},
    {L"prog.exe OLM \"", {L"OLM"}},
    {L"\"prog.exe\"OLM", {}},
    // Tab, carriage return and line feed separate like spaces.
    {L"prog.exe\tOLM\r\n", {L"OLM"}},
    {L"prog.exe\tOLM\r\nextra", {L"OLM", L"extra"}},
    {L"prog.exe \x01OLM\x1F\x20x", {L"OLM", L"x"}},
    // Spaces that are not below 33 are ordinary characters.
    {L"prog.exe \x00A0OLM\x3000", {L"\x00A0OLM\x3000"}},
    // No program name: the first word is taken as the program token.
    {L"OLM", {}},
    {L"OLM extra", {L"extra"}},
    // Empty and blank command lines.
    {L"", {}},
    {L"  \t ", {}},
    {L"\"", {}},
    {L"\"\"", {}},
    {L"\"\" \"\"\"\" prog.exe a", {L"a"}},
    // Separators and quote pairs may alternate before a token.
    {L"prog.exe \"\" \"\"\t\"\"\"\"x", {L"x"}},
    // Sections join with the text around them; a backslash escapes nothing.
    {L"prog.exe a\"b c\"d\"\"e\"f", {L"ab cdef"}},
    {L"prog.exe \\\"a b\\\" c", {L"\\a b\\", L"c"}},
    {L"prog.exe \\\\\"", {L"\\\\"}},
    {L"prog.exe \"a\"\"b\"", {L"ab"}},
    // The program token may be relative, different or bare.
    {L"..\\bin\\other.exe OLM", {L"OLM"}},
    {L"  prog.exe   OLM   ", {L"OLM"}},
    // The command line ends at its first 0.
    {std::wstring(L"prog.exe OLM\0extra", 18), {L"OLM"}},
};

INSTANTIATE_TEST_SUITE_P(Table, CommandLineSplitting, ::testing::ValuesIn(kSplitCases));

TEST(CommandLineReading, ReadsTheCommandLineAfreshAtEveryCall)
{
    CommandLineWindows windows;
    windows.Set(L"prog.exe one");
    EXPECT_EQ(1, ArgumentCount());
    EXPECT_EQ(L"one", Wide(ArgumentAt(1)));
    windows.Set(L"prog.exe two three");
    EXPECT_EQ(2, ArgumentCount());
    EXPECT_EQ(L"two", Wide(ArgumentAt(1)));
    EXPECT_EQ(4, windows.commandLineReads);
}

TEST(CommandLineReading, IndexZeroDoesNotReadTheCommandLine)
{
    CommandLineWindows windows;
    windows.Set(L"C:\\elsewhere\\prog.exe");
    EXPECT_EQ(RealExecutablePath(), Wide(ArgumentAt(0)));
    EXPECT_EQ(0, windows.commandLineReads);
}

TEST(CommandLineReading, NegativeAndLargeIndicesGiveEmptyText)
{
    CommandLineWindows windows;
    windows.Set(L"prog.exe OLM");
    EXPECT_EQ(L"", Wide(ArgumentAt(2)));
    EXPECT_EQ(L"", Wide(ArgumentAt(-1)));
    EXPECT_EQ(L"", Wide(ArgumentAt(INT_MIN)));
}

// The stand-in for the real process: started by the test below with a
// command line of its own, it writes what it reads into the file named by
// LAUNCHER_ARGUMENTS_REPORT, one argument per line, index 0 first.
TEST(RealCommandLine, DISABLED_WritesItsArguments)
{
    wchar_t reportPath[MAX_PATH + 1] = {};
    ASSERT_NE(0u, ::GetEnvironmentVariableW(L"LAUNCHER_ARGUMENTS_REPORT", reportPath, MAX_PATH));
    std::wstring report = std::to_wstring(ArgumentCount()) + L"\n";
    for (int k = 0; k <= ArgumentCount() + 1; ++k) report += Wide(ArgumentAt(k)) + L"\n";
    ASSERT_TRUE(WriteFileBytes(reportPath, std::string(reinterpret_cast<const char*>(report.data()),
                                                       report.size() * sizeof(wchar_t))));
}

TEST(RealCommandLine, SplitsTheCommandLineTheProcessWasStartedWith)
{
    TempFolder folder;
    const std::wstring reportPath = folder / L"report.txt";
    ASSERT_TRUE(::SetEnvironmentVariableW(L"LAUNCHER_ARGUMENTS_REPORT", reportPath.c_str()));
    // The program token names another program: index 0 must still be the real path.
    std::wstring commandLine =
        L"other.exe --gtest_also_run_disabled_tests "
        L"--gtest_filter=RealCommandLine.DISABLED_WritesItsArguments \"\" o\"l\"m \"a b\" "
        L"\"C:\\Dir\\\"tail \"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const std::wstring self = RealExecutablePath();
    ASSERT_TRUE(::CreateProcessW(self.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &process));
    ::SetEnvironmentVariableW(L"LAUNCHER_ARGUMENTS_REPORT", nullptr);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.hProcess, 60000));
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
    ASSERT_EQ(0u, exitCode);

    const std::string bytes = ReadFileBytes(reportPath);
    const std::wstring report(reinterpret_cast<const wchar_t*>(bytes.data()),
                              bytes.size() / sizeof(wchar_t));
    const std::wstring expected =
        L"5\n" + self +
        L"\n--gtest_also_run_disabled_tests\n"
        L"--gtest_filter=RealCommandLine.DISABLED_WritesItsArguments\nolm\na b\nC:\\Dir\\tail\n\n";
    EXPECT_EQ(expected, report);
}

// ---------------------------------------------------------------------------
// Splitting: generated command lines against a model of the rules.

// The rules as one pass over the whole text with a state, unlike the reader's
// nested loops: returns the non-empty tokens, the program token first.
std::vector<std::wstring> ModelTokens(const std::wstring& line)
{
    const std::wstring text = line.substr(0, line.find(L'\0'));
    std::vector<std::wstring> tokens;
    std::wstring token;
    enum { kBetween, kPlain, kQuoted } state = kBetween;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned unit = static_cast<unsigned short>(text[i]);
        switch (state) {
            case kQuoted:
                if (unit == '"') {
                    state = kPlain;
                } else {
                    token += text[i];
                }
                break;
            case kBetween:
                if (unit <= 32) break;
                if (unit == '"' && i + 1 < text.size() && text[i + 1] == L'"') {
                    ++i;  // a pair in front of a token stands for nothing
                    break;
                }
                state = kPlain;
                [[fallthrough]];
            case kPlain:
                if (unit <= 32) {
                    tokens.push_back(token);
                    token.clear();
                    state = kBetween;
                } else if (unit == '"') {
                    state = kQuoted;
                } else {
                    token += text[i];
                }
                break;
        }
    }
    if (!token.empty()) tokens.push_back(token);
    return tokens;
}

wchar_t DrawUnit(std::mt19937& random)
{
    static const wchar_t kOthers[] = {L'\\',  0x00A0, 0x3000, 0x0080, 0x00E9, 0x7F,
                                      0xFFFF, 0xD800, 0xDC00, 0x0021, 0x0100, 0xFEFF};
    switch (random() % 12) {
        case 0:
            return L' ';
        case 1:
            return L'\t';
        case 2:
            return random() % 2 ? L'\r' : L'\n';
        case 3:
            return static_cast<wchar_t>(1 + random() % 31);
        case 4:
        case 5:
        case 6:
            return L'"';
        case 7:
            return L'\\';
        case 8:
        case 9:
            return static_cast<wchar_t>((random() % 2 ? L'a' : L'A') + random() % 26);
        case 10:
            return kOthers[random() % (sizeof kOthers / sizeof kOthers[0])];
        default:
            return random() % 40 == 0 ? L'\0' : L'x';
    }
}

TEST(CommandLineProperties, GeneratedCommandLinesFollowTheRules)
{
    CommandLineWindows windows;
    ASSERT_TRUE(windows.IsGuarded());
    std::mt19937 random(20240517u);  // fixed: every run sees the same lines
    for (int round = 0; round < 4000; ++round) {
        std::wstring line;
        const unsigned length = random() % 40;
        for (unsigned i = 0; i < length; ++i) line += DrawUnit(random);
        windows.Set(line);
        const std::vector<std::wstring> model = ModelTokens(line);
        const int expected = model.empty() ? 0 : static_cast<int>(model.size()) - 1;

        const int count = ArgumentCount();
        ASSERT_EQ(expected, count) << "round " << round << ": " << Escaped(line);
        for (int k = 1; k <= count; ++k) {
            const std::wstring argument = Wide(ArgumentAt(k));
            ASSERT_FALSE(argument.empty()) << "round " << round << ": " << Escaped(line);
            ASSERT_EQ(std::wstring::npos, argument.find(L'"'))
                << "round " << round << ": " << Escaped(line);
            ASSERT_EQ(model[k], argument)
                << "round " << round << ", argument " << k << ": " << Escaped(line);
        }
        ASSERT_TRUE(ArgumentAt(count + 1).IsEmpty()) << "round " << round << ": " << Escaped(line);
        ASSERT_TRUE(ArgumentAt(count + 7).IsEmpty()) << "round " << round << ": " << Escaped(line);
        ASSERT_TRUE(ArgumentAt(-1).IsEmpty()) << "round " << round << ": " << Escaped(line);
    }
}

TEST(CommandLineProperties, TheModelAgreesWithTheFixedCases)
{
    // The model is only a check when it gets the known answers right itself.
    for (const SplitCase& row : kSplitCases) {
        std::vector<std::wstring> model = ModelTokens(row.commandLine);
        if (!model.empty()) model.erase(model.begin());
        EXPECT_EQ(row.arguments, model) << Escaped(row.commandLine);
    }
}

// ---------------------------------------------------------------------------
// The executable's path at the seam.

class ModuleFileWindows : public WindowsApi {
public:
    ModuleFileWindows() : scope_(*this) {}

    std::wstring path;  // what the platform holds
    bool fails = false;

    DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) override
    {
        modules.push_back(module);
        sizes.push_back(size);
        if (fails) return 0;
        // Cut to the buffer and then not terminated, as the oldest systems do.
        const DWORD n = path.size() < size ? static_cast<DWORD>(path.size()) : size;
        std::memcpy(fileName, path.data(), n * sizeof(wchar_t));
        if (n < size) fileName[n] = 0;
        return n;
    }
    LPWSTR GetCommandLineW() override
    {
        ++commandLineReads;
        return const_cast<LPWSTR>(L"");
    }

    std::vector<HMODULE> modules;
    std::vector<DWORD> sizes;
    int commandLineReads = 0;

private:
    ScopedWindowsApi scope_;
};

TEST(ExecutablePath, AsksForTheOwnModuleWith261Units)
{
    ModuleFileWindows windows;
    windows.path = L"C:\\Apps\\KorveNembral.exe";
    EXPECT_EQ(windows.path, Wide(ArgumentAt(0)));
    EXPECT_EQ(std::vector<HMODULE>{nullptr}, windows.modules);
    EXPECT_EQ(std::vector<DWORD>{261}, windows.sizes);
    EXPECT_EQ(0, windows.commandLineReads);
}

TEST(ExecutablePath, APathOf260UnitsFitsTheFirstBuffer)
{
    ModuleFileWindows windows;
    windows.path = L"C:\\" + std::wstring(253, L'p') + L".exe";
    ASSERT_EQ(260u, windows.path.size());
    EXPECT_EQ(windows.path, Wide(ArgumentAt(0)));
    EXPECT_EQ(std::vector<DWORD>{261}, windows.sizes);
}

TEST(ExecutablePath, AFailedCallGivesEmptyText)
{
    ModuleFileWindows windows;
    windows.fails = true;
    EXPECT_TRUE(ArgumentAt(0).IsEmpty());
    EXPECT_EQ(std::vector<DWORD>{261}, windows.sizes);
}

TEST(ExecutablePath, ACutPathIsAskedForAgainWithALargerBuffer)
{
    ModuleFileWindows windows;
    windows.path = L"\\\\?\\C:\\" + std::wstring(600, L'p') + L".exe";
    EXPECT_EQ(windows.path, Wide(ArgumentAt(0)));
    EXPECT_EQ((std::vector<DWORD>{261, 522, 1044}), windows.sizes);
}

TEST(ExecutablePath, APathBeyondTheLongestBufferGivesEmptyText)
{
    ModuleFileWindows windows;
    windows.path = std::wstring(40000, L'p');
    EXPECT_TRUE(ArgumentAt(0).IsEmpty());
    ASSERT_FALSE(windows.sizes.empty());
    EXPECT_EQ(32768u, windows.sizes.back());
    EXPECT_LE(windows.sizes.size(), 9u);
}

// ---------------------------------------------------------------------------
// The current directory under Wine.

class CurrentDirectoryOnDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
        saved_.resize(size);
        saved_.resize(::GetCurrentDirectoryW(size, &saved_[0]));
    }
    // Runs before the folder goes: a current directory cannot be removed.
    void TearDown() override { ::SetCurrentDirectoryW(saved_.c_str()); }

    TempFolder folder_;

private:
    std::wstring saved_;
};

TEST_F(CurrentDirectoryOnDisk, ADriveRootKeepsItsSeparator)
{
    ASSERT_TRUE(::SetCurrentDirectoryW(L"C:\\"));
    EXPECT_EQ(L"C:\\", Wide(CurrentDirectory()));
}

TEST_F(CurrentDirectoryOnDisk, ADirectoryBelowTheRootHasNoTrailingSeparator)
{
    const std::wstring below = folder_ / L"Client dir";
    ASSERT_TRUE(::CreateDirectoryW(below.c_str(), nullptr));
    ASSERT_TRUE(::SetCurrentDirectoryW((below + L"\\").c_str()));
    EXPECT_EQ(below, Wide(CurrentDirectory()));
    EXPECT_EQ(below, Wide(CurrentDirectory()));  // asked again, the same answer
    ASSERT_TRUE(::SetCurrentDirectoryW(folder_.Path().c_str()));
    EXPECT_EQ(folder_.Path(), Wide(CurrentDirectory()));
}

TEST_F(CurrentDirectoryOnDisk, ADirectoryLongerThanTheBufferComesWhole)
{
    // Wine lets a process stand in a directory beyond MAX_PATH: the first
    // answer then only reports the size needed.
    std::wstring deep = folder_.Path();
    for (wchar_t letter = L'a'; deep.size() <= 300; ++letter) {
        deep += L"\\" + std::wstring(40, letter);
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    if (!::SetCurrentDirectoryW(deep.c_str())) GTEST_SKIP() << "the platform refuses long paths";
    EXPECT_EQ(deep, Wide(CurrentDirectory()));
}

// ---------------------------------------------------------------------------
// The current directory at the seam.

// One answer of GetCurrentDirectoryW: what it writes into the buffer and what it returns.
struct DirectoryAnswer {
    std::wstring written;  // written when it fits the buffer, with a 0 after
    DWORD returned;
};

class DirectoryWindows : public WindowsApi {
public:
    explicit DirectoryWindows(std::vector<DirectoryAnswer> answers)
        : answers_(std::move(answers)), scope_(*this)
    {
    }

    DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer) override
    {
        sizes.push_back(bufferLength);
        if (answers_.empty()) ADD_FAILURE() << "asked once too often";
        if (buffer == nullptr || answers_.empty()) return 0;
        const DirectoryAnswer answer = answers_.front();
        answers_.erase(answers_.begin());
        if (answer.written.size() < bufferLength) {
            std::memcpy(buffer, answer.written.c_str(),
                        (answer.written.size() + 1) * sizeof(wchar_t));
        } else {
            // Too small: the buffer's content is undefined.
            for (DWORD i = 0; i < bufferLength; ++i) buffer[i] = L'#';
        }
        return answer.returned;
    }

    std::vector<DWORD> sizes;

private:
    std::vector<DirectoryAnswer> answers_;
    ScopedWindowsApi scope_;
};

struct DirectoryCase {
    const char* name;
    std::vector<DirectoryAnswer> answers;
    std::wstring expected;
    std::vector<DWORD> sizes;
};

void PrintTo(const DirectoryCase& row, std::ostream* out) { *out << row.name; }

class CurrentDirectoryAtTheSeam : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(CurrentDirectoryAtTheSeam, GivesThePlatformsDirectoryOrEmptyText)
{
    const DirectoryCase& row = GetParam();
    DirectoryWindows windows(row.answers);
    EXPECT_EQ(row.expected, Wide(CurrentDirectory()));
    EXPECT_EQ(row.sizes, windows.sizes);
}

const std::wstring kLong = L"C:\\" + std::wstring(296, L'd');  // 299 units

const DirectoryCase kDirectoryCases[] = {
    {"drive root", {{L"C:\\", 3}}, L"C:\\", {261}},
    {"network path", {{L"\\\\server\\share\\dir", 18}}, L"\\\\server\\share\\dir", {261}},
    {"260 units fit", {{std::wstring(260, L'd'), 260}}, std::wstring(260, L'd'), {261}},
    {"failure", {{L"", 0}}, L"", {261}},
    {"ends at the first 0", {{std::wstring(L"C:\\a\0b", 6), 6}}, L"C:\\a", {261}},
    {"too long: asked again with the size reported",
     {{kLong, 300}, {kLong, 299}},
     kLong,
     {261, 300}},
    {"too long, then failure", {{kLong, 300}, {L"", 0}}, L"", {261, 300}},
    {"too long, then shorter", {{kLong, 300}, {L"C:\\x", 4}}, L"C:\\x", {261, 300}},
    {"growing at every call",
     {{kLong, 300},
      {kLong + L"\\" + std::wstring(100, L'e'), 401},
      {kLong + L"\\" + std::wstring(200, L'e'), 501},
      {kLong + L"\\" + std::wstring(300, L'e'), 601}},
     L"",
     {261, 300, 401, 501}},
    {"a size beyond any path", {{std::wstring(261, L'd'), 40000}}, L"", {261}},
    {"reports the buffer's own size",
     {{std::wstring(261, L'd'), 261}, {L"C:\\dir", 6}},
     L"C:\\dir",
     {261, 262}},
};

INSTANTIATE_TEST_SUITE_P(Table, CurrentDirectoryAtTheSeam, ::testing::ValuesIn(kDirectoryCases));

// ---------------------------------------------------------------------------
// The directory test on the real file system under Wine.

// Returns the Unix path of a Windows path, empty when not under Wine.
std::wstring UnixPath(const std::wstring& path)
{
    using ToUnix = char*(__cdecl*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return std::wstring();
    char* unix = toUnix(path.c_str());
    if (!unix) return std::wstring();
    const std::string bytes(unix);
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return std::wstring(bytes.begin(), bytes.end());  // the test's folders are ASCII
}

// Symbolic links made and removed from the Unix side, since Wine has no way
// to make them. Wine deletes a link's target when asked to delete the link,
// so the links must be gone before the folder is removed.
class DirectoryTestOnDisk : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (!links_.empty()) RunShell(L"rm -f" + links_);
    }

    // Makes the Unix symbolic link `name` in the folder, pointing to `target`.
    bool MakeLink(const std::wstring& target, const std::wstring& name)
    {
        const std::wstring link = UnixPath(folder_ / name);
        if (link.empty()) return false;
        links_ += L" '" + link + L"'";
        return RunShell(L"ln -s '" + target + L"' '" + link + L"'");
    }

    TempFolder folder_;

private:
    // Runs a shell script on the Unix side; returns whether it ended with
    // status 0. Wine starts Unix programs detached, with no handle to wait
    // on: the script leaves its status in a file when it is done.
    bool RunShell(const std::wstring& script)
    {
        const std::wstring status = folder_ / L"unix-status";
        const std::wstring unixStatus = UnixPath(status);
        if (unixStatus.empty()) return false;
        std::wstring commandLine = L"sh -c \"" + script + L"; echo $? > '" + unixStatus +
                                   L".new'; mv '" + unixStatus + L".new' '" + unixStatus + L"'\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!::CreateProcessW(L"Z:\\bin\\sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &process))
            return false;
        if (process.hProcess) ::CloseHandle(process.hProcess);
        if (process.hThread) ::CloseHandle(process.hThread);
        for (int wait = 0;
             wait < 1500 && ::GetFileAttributesW(status.c_str()) == INVALID_FILE_ATTRIBUTES; ++wait)
            ::Sleep(20);
        const std::string result = ReadFileBytes(status);
        ::DeleteFileW(status.c_str());
        return result == "0\n";
    }

    std::wstring links_;
};

TEST_F(DirectoryTestOnDisk, AnExistingDirectoryIsOne)
{
    EXPECT_TRUE(IsExistingDirectory(Text(folder_.Path()), true));
    EXPECT_TRUE(IsExistingDirectory(Text(folder_.Path() + L"\\"), true));
    EXPECT_TRUE(IsExistingDirectory(Text(L"C:\\"), true));
}

TEST_F(DirectoryTestOnDisk, AFileIsNone)
{
    ASSERT_TRUE(WriteFileBytes(folder_ / L"Java", "not a folder"));
    EXPECT_FALSE(IsExistingDirectory(Text(folder_ / L"Java"), true));
}

TEST_F(DirectoryTestOnDisk, AMissingPathIsNone)
{
    EXPECT_FALSE(IsExistingDirectory(Text(folder_ / L"Java"), true));
    EXPECT_FALSE(IsExistingDirectory(Text(folder_ / L"missing\\Java"), true));
    EXPECT_FALSE(IsExistingDirectory(UnicodeString(), true));
}

TEST_F(DirectoryTestOnDisk, ADriveLetterWithoutMappingIsNone)
{
    const DWORD drives = ::GetLogicalDrives();
    wchar_t letter = 0;
    for (wchar_t candidate = L'Y'; candidate >= L'D' && !letter; --candidate)
        if (!(drives & (1u << (candidate - L'A')))) letter = candidate;
    ASSERT_NE(0, letter) << "every drive letter is mapped";
    const std::wstring root = std::wstring(1, letter) + L":\\";
    EXPECT_FALSE(IsExistingDirectory(Text(root), true));
    EXPECT_FALSE(IsExistingDirectory(Text(root + L"Java"), true));
}

TEST_F(DirectoryTestOnDisk, ANameThePlatformRejectsIsNone)
{
    for (const wchar_t* name : {L"Ja<va", L"Ja|va", L"Ja\"va", L"Ja*va", L"Ja?va"})
        EXPECT_FALSE(IsExistingDirectory(Text(folder_ / name), true)) << Escaped(name);
}

TEST_F(DirectoryTestOnDisk, ALinkIsJudgedByItsTarget)
{
    const std::wstring target = folder_ / L"target";
    ASSERT_TRUE(::CreateDirectoryW(target.c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(folder_ / L"file", "x"));
    if (UnixPath(folder_.Path()).empty()) GTEST_SKIP() << "not under Wine";
    ASSERT_TRUE(MakeLink(L"target", L"to-directory"));
    ASSERT_TRUE(MakeLink(L"file", L"to-file"));
    ASSERT_TRUE(MakeLink(L"gone", L"dangling"));

    // Wine shows a link to a directory as a directory reparse point, so the
    // test opens it through the link.
    EXPECT_EQ(FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY,
              ::GetFileAttributesW((folder_ / L"to-directory").c_str()) &
                  (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_TRUE(IsExistingDirectory(Text(folder_ / L"to-directory"), true));
    EXPECT_FALSE(IsExistingDirectory(Text(folder_ / L"to-file"), true));
    EXPECT_FALSE(IsExistingDirectory(Text(folder_ / L"dangling"), true));

    // The target goes: the link to it dangles now.
    ASSERT_TRUE(::RemoveDirectoryW(target.c_str()));
    EXPECT_FALSE(IsExistingDirectory(Text(folder_ / L"to-directory"), true));
}

// ---------------------------------------------------------------------------
// The directory test at the seam.

const HANDLE kOpenedHandle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x4C4));

class FileWindows : public WindowsApi {
public:
    FileWindows() : scope_(*this) {}

    DWORD attributes = FILE_ATTRIBUTE_DIRECTORY;
    DWORD error = ERROR_SUCCESS;
    bool opens = true;

    struct Open {
        std::wstring path;
        DWORD access, share;
        LPSECURITY_ATTRIBUTES security;
        DWORD disposition, flags;
        HANDLE templateFile;
    };

    DWORD GetFileAttributesW(LPCWSTR fileName) override
    {
        calls.push_back("GetFileAttributesW");
        attributePaths.push_back(fileName ? fileName : L"<null>");
        return attributes;
    }
    DWORD GetLastError() override
    {
        calls.push_back("GetLastError");
        return error;
    }
    HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode,
                       LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                       DWORD flagsAndAttributes, HANDLE templateFile) override
    {
        calls.push_back("CreateFileW");
        opened.push_back({fileName ? fileName : L"<null>", desiredAccess, shareMode,
                          securityAttributes, creationDisposition, flagsAndAttributes,
                          templateFile});
        return opens ? kOpenedHandle : INVALID_HANDLE_VALUE;
    }
    BOOL CloseHandle(HANDLE object) override
    {
        calls.push_back("CloseHandle");
        closed.push_back(object);
        return TRUE;
    }

    std::vector<std::string> calls;
    std::vector<std::wstring> attributePaths;
    std::vector<Open> opened;
    std::vector<HANDLE> closed;

private:
    ScopedWindowsApi scope_;
};

struct ErrorCase {
    DWORD error;
    bool expected;
};

void PrintTo(const ErrorCase& row, std::ostream* out) { *out << "error " << row.error; }

class DirectoryTestErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(DirectoryTestErrors, OnlyErrorsThatProveThePathAbsentGiveFalse)
{
    FileWindows windows;
    windows.attributes = INVALID_FILE_ATTRIBUTES;
    windows.error = GetParam().error;
    EXPECT_EQ(GetParam().expected, IsExistingDirectory(Text(L"C:\\App\\Java"), true));
    EXPECT_EQ((std::vector<std::string>{"GetFileAttributesW", "GetLastError"}), windows.calls);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DirectoryTestErrors,
    ::testing::Values(
        // The seven that prove the path absent.
        ErrorCase{ERROR_FILE_NOT_FOUND, false}, ErrorCase{ERROR_PATH_NOT_FOUND, false},
        ErrorCase{ERROR_NOT_READY, false}, ErrorCase{ERROR_BAD_NETPATH, false},
        ErrorCase{ERROR_BAD_NET_NAME, false}, ErrorCase{ERROR_INVALID_NAME, false},
        ErrorCase{ERROR_BAD_PATHNAME, false},
        // Everything else, the neighbours of those seven included.
        ErrorCase{ERROR_SUCCESS, true}, ErrorCase{ERROR_INVALID_FUNCTION, true}, ErrorCase{4, true},
        ErrorCase{ERROR_ACCESS_DENIED, true}, ErrorCase{20, true}, ErrorCase{22, true},
        ErrorCase{ERROR_SHARING_VIOLATION, true}, ErrorCase{52, true}, ErrorCase{54, true},
        ErrorCase{ERROR_BAD_DEV_TYPE, true}, ErrorCase{68, true},
        ErrorCase{ERROR_INVALID_PARAMETER, true}, ErrorCase{122, true}, ErrorCase{124, true},
        ErrorCase{160, true}, ErrorCase{162, true}, ErrorCase{ERROR_CANT_ACCESS_FILE, true},
        ErrorCase{0xFFFFFFFF, true}));

struct AttributeCase {
    const char* name;
    DWORD attributes;
    bool opens;
    bool expected;
    std::vector<std::string> calls;
};

void PrintTo(const AttributeCase& row, std::ostream* out) { *out << row.name; }

class DirectoryTestAttributes : public ::testing::TestWithParam<AttributeCase> {};

TEST_P(DirectoryTestAttributes, JudgesTheAttributesAndOpensOnlyLinks)
{
    const AttributeCase& row = GetParam();
    FileWindows windows;
    windows.attributes = row.attributes;
    windows.opens = row.opens;
    EXPECT_EQ(row.expected, IsExistingDirectory(Text(L"C:\\App\\Java"), true));
    EXPECT_EQ(row.calls, windows.calls);
}

const std::vector<std::string> kReadOnly = {"GetFileAttributesW"};
const std::vector<std::string> kOpenFails = {"GetFileAttributesW", "CreateFileW"};
const std::vector<std::string> kOpenAndClose = {"GetFileAttributesW", "CreateFileW", "CloseHandle"};

INSTANTIATE_TEST_SUITE_P(
    Table, DirectoryTestAttributes,
    ::testing::Values(
        AttributeCase{"directory", FILE_ATTRIBUTE_DIRECTORY, true, true, kReadOnly},
        AttributeCase{"hidden read-only directory",
                      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY,
                      true, true, kReadOnly},
        AttributeCase{"file", FILE_ATTRIBUTE_ARCHIVE, true, false, kReadOnly},
        AttributeCase{"normal file", FILE_ATTRIBUTE_NORMAL, true, false, kReadOnly},
        AttributeCase{"no attributes", 0, true, false, kReadOnly},
        AttributeCase{"link to a directory",
                      FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY, true, true,
                      kOpenAndClose},
        AttributeCase{"dangling link to a directory",
                      FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY, false, false,
                      kOpenFails},
        AttributeCase{"link to a file", FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_ARCHIVE, true,
                      false, kOpenAndClose},
        AttributeCase{"dangling link to a file", FILE_ATTRIBUTE_REPARSE_POINT, false, false,
                      kOpenFails}));

TEST(DirectoryTestLinks, OpensTheLinkFollowingItAndClosesTheHandleAtOnce)
{
    FileWindows windows;
    windows.attributes = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    EXPECT_TRUE(IsExistingDirectory(Text(L"C:\\App\\\\Java"), true));
    ASSERT_EQ(1u, windows.opened.size());
    const FileWindows::Open& open = windows.opened[0];
    EXPECT_EQ(L"C:\\App\\\\Java", open.path);
    EXPECT_EQ(static_cast<DWORD>(GENERIC_READ), open.access);
    EXPECT_EQ(static_cast<DWORD>(FILE_SHARE_READ), open.share);
    EXPECT_EQ(nullptr, open.security);
    EXPECT_EQ(static_cast<DWORD>(OPEN_EXISTING), open.disposition);
    EXPECT_EQ(static_cast<DWORD>(FILE_FLAG_BACKUP_SEMANTICS), open.flags);
    EXPECT_EQ(nullptr, open.templateFile);
    EXPECT_EQ(std::vector<HANDLE>{kOpenedHandle}, windows.closed);
}

TEST(DirectoryTestLinks, AFailedOpenClosesNothing)
{
    FileWindows windows;
    windows.attributes = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    windows.opens = false;
    EXPECT_FALSE(IsExistingDirectory(Text(L"C:\\App\\Java"), true));
    EXPECT_TRUE(windows.closed.empty());
}

TEST(DirectoryTestLinks, WithoutFollowingALinkIsJudgedByItsOwnAttributes)
{
    FileWindows windows;
    windows.attributes = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    windows.opens = false;
    EXPECT_TRUE(IsExistingDirectory(Text(L"C:\\App\\Java"), false));
    windows.attributes = FILE_ATTRIBUTE_REPARSE_POINT;
    EXPECT_FALSE(IsExistingDirectory(Text(L"C:\\App\\Java"), false));
    EXPECT_TRUE(windows.opened.empty());
}

TEST(DirectoryTestPaths, ThePathReachesThePlatformUnchanged)
{
    for (const std::wstring& path :
         {std::wstring(L"C:\\\\Java"), std::wstring(L"C:\\App\\Java\\"),
          std::wstring(L" C:\\App \\Java "), std::wstring(L"C:/App/../Java"),
          std::wstring(L"\\\\server\\share\\Java"), std::wstring(L"")}) {
        FileWindows windows;
        windows.attributes = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
        IsExistingDirectory(Text(path), true);
        EXPECT_EQ(std::vector<std::wstring>{path}, windows.attributePaths) << Escaped(path);
        ASSERT_EQ(1u, windows.opened.size());
        EXPECT_EQ(path, windows.opened[0].path) << Escaped(path);
    }
}

// ---------------------------------------------------------------------------
// Upper-casing and equality.

struct UpperCase {
    std::wstring text;
    std::wstring expected;
};

void PrintTo(const UpperCase& row, std::ostream* out) { *out << Escaped(row.text); }

class UpperCasing : public ::testing::TestWithParam<UpperCase> {};

TEST_P(UpperCasing, UpperCasesLettersAndKeepsTheLength)
{
    const UnicodeString text = Text(GetParam().text);
    const UnicodeString upper = UpperCaseText(text);
    EXPECT_EQ(GetParam().expected, Wide(upper));
    EXPECT_EQ(GetParam().text, Wide(text));  // the original stays as it was
}

INSTANTIATE_TEST_SUITE_P(Table, UpperCasing,
                         ::testing::Values(UpperCase{L"olm", L"OLM"}, UpperCase{L"Olm", L"OLM"},
                                           UpperCase{L"OLM", L"OLM"}, UpperCase{L" OLM", L" OLM"},
                                           UpperCase{L"o1-m_\\\"", L"O1-M_\\\""},
                                           UpperCase{L"\x00E9t\x00E9", L"\x00C9T\x00C9"},
                                           UpperCase{L"\x00DF", L"\x00DF"},
                                           UpperCase{std::wstring(L"a\0b", 3),
                                                     std::wstring(L"A\0B", 3)},
                                           UpperCase{L"", L""}));

class CaseWindows : public WindowsApi {
public:
    CaseWindows() : scope_(*this) {}
    DWORD CharUpperBuffW(LPWSTR text, DWORD length) override
    {
        lengths.push_back(length);
        return WindowsApi::CharUpperBuffW(text, length);
    }
    std::vector<DWORD> lengths;

private:
    ScopedWindowsApi scope_;
};

TEST(UpperCasingAtTheSeam, EmptyTextNeverReachesThePlatform)
{
    CaseWindows windows;
    EXPECT_TRUE(UpperCaseText(UnicodeString()).IsEmpty());
    EXPECT_STREQ(L"", UpperCaseText(UnicodeString()).CStr());
    EXPECT_TRUE(windows.lengths.empty());
}

TEST(UpperCasingAtTheSeam, OneCallCoversTheWholeText)
{
    CaseWindows windows;
    EXPECT_EQ(std::wstring(L"OL\0M", 4), Wide(UpperCaseText(Text(std::wstring(L"ol\0m", 4)))));
    EXPECT_EQ(std::vector<DWORD>{4}, windows.lengths);
}

struct EqualityCase {
    std::wstring a;
    std::wstring b;
    bool expected;
};

void PrintTo(const EqualityCase& row, std::ostream* out)
{
    *out << Escaped(row.a) << " vs " << Escaped(row.b);
}

class TextEquality : public ::testing::TestWithParam<EqualityCase> {};

TEST_P(TextEquality, ComparesCodeUnitsExactly)
{
    const EqualityCase& row = GetParam();
    EXPECT_EQ(row.expected, TextEquals(Text(row.a), Text(row.b)));
    EXPECT_EQ(row.expected, TextEquals(Text(row.b), Text(row.a)));
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextEquality,
    ::testing::Values(EqualityCase{L"OLM", L"OLM", true}, EqualityCase{L"OLM", L"OLM ", false},
                      EqualityCase{L"OLM", L"OL", false}, EqualityCase{L"OLM", L"", false},
                      EqualityCase{L"", L"", true}, EqualityCase{L"OLM", L"olm", false},
                      EqualityCase{L"OLM", L" OLM", false},
                      EqualityCase{L"OLM", L"\xFF2F\xFF2C\xFF2D", false},
                      EqualityCase{std::wstring(L"a\0b", 3), std::wstring(L"a\0c", 3), false},
                      EqualityCase{std::wstring(L"a\0b", 3), L"a", false},
                      EqualityCase{L"\xFFFF\xD800", L"\xFFFF\xD800", true},
                      EqualityCase{L"e\x0301", L"\x00E9", false}));

TEST(TextEqualityOfEmptyTexts, AnEmptyTextFromALiteralEqualsADefaultOne)
{
    EXPECT_TRUE(TextEquals(UnicodeString(L""), UnicodeString()));
}

}  // namespace
