// The real launcher under Wine, started with no argument in a folder that
// holds the application's own Java runtime.
#include <gtest/gtest.h>

#include "tests/support/drive_mapping.h"
#include "tests/support/launcher_case.h"
#include "tests/support/registry_fixture.h"

namespace {
std::wstring LocalCommandLine(const std::wstring& directory)
{
    return L"\"" + directory + L"\\Java\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar \"" + directory +
           L"\\korve2020.jar\" --start";
}

class LocalRuntime : public LauncherCase {};

struct FolderRow {
    const char* scenario;
    const wchar_t* folder;
};

void PrintTo(const FolderRow& row, std::ostream* out) { *out << row.scenario; }

class LocalRuntimeFolder : public LocalRuntime, public ::testing::WithParamInterface<FolderRow> {};

TEST_P(LocalRuntimeFolder, StartsTheLocalRuntimeWithTheExactCommandLineInThatFolder)
{
    const std::wstring folder = Under(GetParam().folder);
    ASSERT_TRUE(CreateFolders(folder));
    PlaceLocalRuntime(folder);
    ASSERT_TRUE(WriteFileBytes(folder + L"\\korve2020.jar", "PK"));

    const LauncherOutcome outcome = Run(StartIn(folder));

    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_TRUE(outcome.boxes.empty());
    const ChildRecord child = Record();
    ASSERT_TRUE(child.present);
    // The folder itself where the code page writes its names, else by short names.
    const std::wstring named = QuotedUpTo(child.commandLine, L"\\Java\\bin\\Javaw.exe\"");
    ExpectNamedInCodePage(folder, named);
    EXPECT_EQ(ToUtf8(LocalCommandLine(named)), ToUtf8(child.commandLine));
    EXPECT_EQ(ToUtf8(named), ToUtf8(child.currentDirectory));
    EXPECT_EQ(ToUtf8(kProbe), ToUtf8(child.probe)) << "the caller's environment reaches the child";
}

const FolderRow kFolders[] = {
    {"PlainFolder", L"app"},
    {"SpacesAndPercentSigns", L"Korve App 100% %s %d"},
    {"LettersOfTheCodePage", L"Aplica\u00e7\u00e3o Gr\u00e1fica"},
    {"LongNameAndCyrillicLetters",
     L"Korve application folder\\\u0422\u0435\u0441\u0442 \u041f\u0430\u043f\u043a\u0430"},
};

INSTANTIATE_TEST_SUITE_P(, LocalRuntimeFolder, ::testing::ValuesIn(kFolders),
                         [](const auto& info) { return std::string(info.param.scenario); });

struct LookAlikeRow {
    const char* scenario;
    bool ownRuntime;
};

void PrintTo(const LookAlikeRow& row, std::ostream* out) { *out << row.scenario; }

class LookAlikeFolder : public LocalRuntime, public ::testing::WithParamInterface<LookAlikeRow> {};

// Code page 1252's best fit writes U+0166 as "T": the launcher must not take
// "Twin" beside it, where another user may have placed a runtime.
TEST_P(LookAlikeFolder, NeverStartsTheRuntimeOfTheFolderItsNameLooksLike)
{
    const std::wstring folder = Under(L"\u0166win");
    ASSERT_TRUE(CreateFolders(folder));
    PlaceLocalRuntime(Under(L"Twin"));
    if (GetParam().ownRuntime) PlaceLocalRuntime(folder);

    const LauncherOutcome outcome = Run(StartIn(folder));

    EXPECT_EQ(0u, outcome.exitCode);
    const ChildRecord child = Record();
    if (!GetParam().ownRuntime) {
        EXPECT_FALSE(child.present) << ToUtf8(child.commandLine);
        ExpectFailureReport(outcome, ERROR_FILE_NOT_FOUND);
        return;
    }
    ASSERT_TRUE(child.present);
    const std::wstring named = QuotedUpTo(child.commandLine, L"\\Java\\bin\\Javaw.exe\"");
    EXPECT_EQ(ToUtf8(LongPath(folder)), ToUtf8(LongPath(named)));
}

const LookAlikeRow kLookAlikes[] = {{"WithoutARuntime", false}, {"WithItsOwnRuntime", true}};

INSTANTIATE_TEST_SUITE_P(, LookAlikeFolder, ::testing::ValuesIn(kLookAlikes),
                         [](const auto& info) { return std::string(info.param.scenario); });

struct ShowRow {
    const char* scenario;
    bool useShowWindow;
    WORD showWindow;
};

void PrintTo(const ShowRow& row, std::ostream* out) { *out << row.scenario; }

class LocalRuntimeShow : public LocalRuntime, public ::testing::WithParamInterface<ShowRow> {};

TEST_P(LocalRuntimeShow, StartsTheChildHiddenHoweverTheLauncherWasShown)
{
    PlaceLocalRuntime(App());
    LauncherStart start = StartIn(App());
    start.useShowWindow = GetParam().useShowWindow;
    start.showWindow = GetParam().showWindow;

    const LauncherOutcome outcome = Run(start);

    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_TRUE(outcome.boxes.empty());
    const ChildRecord child = Record();
    ASSERT_TRUE(child.present);
    EXPECT_EQ(static_cast<DWORD>(STARTF_USESHOWWINDOW), child.flags);
    EXPECT_EQ(static_cast<DWORD>(SW_HIDE), child.showWindow);
}

const ShowRow kShows[] = {
    {"Default", false, SW_SHOWNORMAL},
    {"Maximized", true, SW_SHOWMAXIMIZED},
    {"Minimized", true, SW_SHOWMINNOACTIVE},
    {"Hidden", true, SW_HIDE},
};

INSTANTIATE_TEST_SUITE_P(, LocalRuntimeShow, ::testing::ValuesIn(kShows),
                         [](const auto& info) { return std::string(info.param.scenario); });

TEST_F(LocalRuntime, EndsOnlyAfterTheChildHasEnded)
{
    PlaceLocalRuntime(App());
    LauncherStart start = StartIn(App());
    start.environment.push_back({L"STANDIN_SLEEP_MS", L"2500"});

    const LauncherOutcome outcome = Run(start);

    EXPECT_EQ(0u, outcome.exitCode);
    const ChildRecord child = Record();
    ASSERT_TRUE(child.present);
    ASSERT_TRUE(child.ended) << "the launcher ended while the child was still running";
    // The tick moves in steps of some milliseconds.
    EXPECT_GE(child.endedMs, child.startedMs + 2400);
    EXPECT_GE(outcome.endedMs, child.endedMs);
    HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, child.processId);
    if (process) {
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process, 0)) << "the child still runs";
        ::CloseHandle(process);
    }
}

struct ChildEndRow {
    const char* scenario;
    const wchar_t* variable;
    const wchar_t* value;
};

void PrintTo(const ChildEndRow& row, std::ostream* out) { *out << row.scenario; }

class LocalRuntimeChildEnd : public LocalRuntime,
                             public ::testing::WithParamInterface<ChildEndRow> {};

TEST_P(LocalRuntimeChildEnd, EndsWithStatusZeroWhateverTheChildsEnd)
{
    PlaceLocalRuntime(App());
    LauncherStart start = StartIn(App());
    start.environment.push_back({GetParam().variable, GetParam().value});

    const LauncherOutcome outcome = Run(start);

    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_TRUE(outcome.boxes.empty());
    const ChildRecord child = Record();
    ASSERT_TRUE(child.present);
    EXPECT_TRUE(child.ended);
}

const ChildEndRow kChildEnds[] = {
    {"ExitCodeZero", L"STANDIN_EXIT_CODE", L"0"},
    {"ExitCodeSeven", L"STANDIN_EXIT_CODE", L"7"},
    {"ExitCodeMinusOne", L"STANDIN_EXIT_CODE", L"-1"},
    {"Crash", L"STANDIN_CRASH", L"1"},
};

INSTANTIATE_TEST_SUITE_P(, LocalRuntimeChildEnd, ::testing::ValuesIn(kChildEnds),
                         [](const auto& info) { return std::string(info.param.scenario); });

TEST_F(LocalRuntime, KeepsTheDoubledSeparatorInADriveRoot)
{
    const wchar_t letter = FreeDriveLetter();
    ASSERT_NE(0, letter);
    const std::wstring drive = Under(L"drive");
    ASSERT_TRUE(CreateFolders(drive));
    MappedDrive mapped(letter, drive);
    ASSERT_TRUE(mapped.IsMapped());
    PlaceLocalRuntime(mapped.Root().substr(0, 2));

    const LauncherOutcome outcome = Run(StartIn(mapped.Root()));

    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_TRUE(outcome.boxes.empty());
    const ChildRecord child = Record();
    ASSERT_TRUE(child.present);
    const std::wstring root = mapped.Root();
    EXPECT_EQ(ToUtf8(L"\"" + root + L"\\Java\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar \"" + root +
                     L"\\korve2020.jar\" --start"),
              ToUtf8(child.commandLine));
    EXPECT_EQ(ToUtf8(root), ToUtf8(child.currentDirectory));
}

TEST_F(LocalRuntime, TakesAFileNamedJavaForNoRuntimeAndStartsTheInstalledOne)
{
    ASSERT_TRUE(WriteFileBytes(App() + L"\\Java", "not a folder"));
    PlaceStandIn(Under(L"jre\\bin\\Javaw.exe"));
    TestRegistryKey javaKey(kJavaRuntimeKey, KEY_WOW64_64KEY);
    ASSERT_TRUE(javaKey.SetString(kJavaHomeValue, Under(L"jre")));

    const LauncherOutcome outcome = Run(StartIn(App()));

    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_TRUE(outcome.boxes.empty());
    const ChildRecord child = Record();
    ASSERT_TRUE(child.present);
    EXPECT_EQ(ToUtf8(L"\"" + Under(L"jre") + L"\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar \"" +
                     App() + L"\\korve2020.jar\" --start"),
              ToUtf8(child.commandLine));
    EXPECT_EQ(ToUtf8(App()), ToUtf8(child.currentDirectory));
}

TEST_F(LocalRuntime, LeavesTheRegistryUnread)
{
    // An unreadable "JavaHome" would end the launcher abnormally, were it read.
    PlaceLocalRuntime(App());
    TestRegistryKey wide(kJavaRuntimeKey, KEY_WOW64_64KEY);
    ASSERT_TRUE(wide.SetDword(kJavaHomeValue, 1));
    TestRegistryKey narrow(kJavaRuntimeKey, KEY_WOW64_32KEY);
    ASSERT_TRUE(narrow.SetDword(kJavaHomeValue, 1));

    const LauncherOutcome outcome = Run(StartIn(App()));

    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_TRUE(outcome.boxes.empty());
    const ChildRecord child = Record();
    ASSERT_TRUE(child.present);
    EXPECT_EQ(ToUtf8(LocalCommandLine(App())), ToUtf8(child.commandLine));
}
}  // namespace
