// The real launcher under Wine: the empty plan, the abnormal end, the mode
// that a hard command line selects, and two launchers at once.
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/drive_mapping.h"
#include "tests/support/launcher_case.h"
#include "tests/support/registry_fixture.h"

namespace {
const wchar_t kInstalledJava[] = L"D:\\Java8\\bin\\javaw.exe";

// Replaces "{launcher}" with the launcher's quoted path and "{path}" with its bare path.
std::wstring Fill(std::wstring text, const std::wstring& launcher)
{
    const std::pair<std::wstring, std::wstring> markers[] = {
        {L"{launcher}", L"\"" + launcher + L"\""}, {L"{path}", launcher}};
    for (const auto& marker : markers)
        for (std::size_t at = text.find(marker.first); at != std::wstring::npos;
             at = text.find(marker.first, at + marker.second.size()))
            text.replace(at, marker.first.size(), marker.second);
    return text;
}

std::wstring LocalCommandLine(const std::wstring& directory)
{
    return L"\"" + directory + L"\\Java\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar \"" + directory +
           L"\\korve2020.jar\" --start";
}

std::wstring FixedCommandLine(const std::wstring& java)
{
    return L"\"" + java + L"\" -Xms512m -Xmx1024m -jar \"" + kFixedArchiveFolder +
           L"\\korve2020.jar\" --start";
}

// The error code of the empty plan's start, asked the way the launcher asks it.
DWORD EmptyPlanCode() { return RefusalCode("", ""); }

// --- The empty plan ---------------------------------------------------------

struct EmptyPlanRow {
    const char* scenario;
    const wchar_t* arguments;
};

void PrintTo(const EmptyPlanRow& row, std::ostream* out) { *out << row.scenario; }

class EmptyPlan : public LauncherCase, public ::testing::WithParamInterface<EmptyPlanRow> {};

TEST_P(EmptyPlan, ReportsTheRefusedStartAndStartsNothing)
{
    // Everything the other modes would use is there, and none of it is consulted:
    // a local runtime, an installed one, and an unreadable installed executable.
    PlaceLocalRuntime(App());
    PlaceStandIn(Under(L"jre\\bin\\Javaw.exe"));
    TestRegistryKey javaKey(kJavaRuntimeKey, KEY_WOW64_64KEY);
    ASSERT_TRUE(javaKey.SetString(kJavaHomeValue, Under(L"jre")));
    TestRegistryKey product(kProductKey, KEY_WOW64_64KEY);
    ASSERT_TRUE(product.SetValue(kExecutableValue, REG_BINARY, std::string("\x01\x02\x03", 3)));

    const LauncherOutcome outcome = Run(StartIn(App(), GetParam().arguments));

    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_FALSE(Record().present);
    ExpectFailureReport(outcome, EmptyPlanCode());
}

const EmptyPlanRow kEmptyPlans[] = {
    {"KeywordWithALetterMore", L" OLMX"},
    {"KeywordAfterADash", L" -OLM"},
    {"KeywordAfterASlash", L" /OLM"},
    {"KeywordOnlySecond", L" OLM2 OLM"},
};

INSTANTIATE_TEST_SUITE_P(, EmptyPlan, ::testing::ValuesIn(kEmptyPlans),
                         [](const auto& info) { return std::string(info.param.scenario); });

// --- The abnormal end -------------------------------------------------------

struct AbnormalRow {
    const char* scenario;
    const wchar_t* key;
    REGSAM view;
    const wchar_t* value;
    DWORD type;
    const char* bytes;
    std::size_t size;
    const wchar_t* arguments;
};

void PrintTo(const AbnormalRow& row, std::ostream* out) { *out << row.scenario; }

class AbnormalEnd : public LauncherCase, public ::testing::WithParamInterface<AbnormalRow> {};

TEST_P(AbnormalEnd, ShowsAbnormalTerminationAndEndsWithStatusThree)
{
    const AbnormalRow& row = GetParam();
    TestRegistryKey key(row.key, row.view);
    ASSERT_TRUE(key.SetValue(row.value, row.type, std::string(row.bytes, row.size)));

    const LauncherOutcome outcome = Run(StartIn(App(), row.arguments));

    EXPECT_EQ(3u, outcome.exitCode);
    EXPECT_FALSE(Record().present);
    ExpectAbnormalTermination(outcome, L"KorveNembral.exe");
}

const AbnormalRow kAbnormal[] = {
    {"JavaHomeAsDword", kJavaRuntimeKey, KEY_WOW64_64KEY, kJavaHomeValue, REG_DWORD,
     "\x01\x00\x00\x00", 4, L""},
    {"JavaHomeAsDwordInTheDefaultView", kJavaRuntimeKey, KEY_WOW64_32KEY, kJavaHomeValue, REG_DWORD,
     "\x01\x00\x00\x00", 4, L""},
    {"JavaHomeAsBinary", kJavaRuntimeKey, KEY_WOW64_64KEY, kJavaHomeValue, REG_BINARY, "C:\\", 3,
     L""},
    {"JavaHomeAsMultipleStrings", kJavaRuntimeKey, KEY_WOW64_64KEY, kJavaHomeValue, REG_MULTI_SZ,
     "C\0:\0\0\0\0\0", 8, L""},
    {"ExecutavelAsBinary", kProductKey, KEY_WOW64_64KEY, kExecutableValue, REG_BINARY,
     "\x01\x02\x03\x04", 4, L" OLM"},
    {"ExecutavelAsDword", kProductKey, KEY_WOW64_64KEY, kExecutableValue, REG_DWORD,
     "\x00\x00\x00\x00", 4, L" olm"},
};

INSTANTIATE_TEST_SUITE_P(, AbnormalEnd, ::testing::ValuesIn(kAbnormal),
                         [](const auto& info) { return std::string(info.param.scenario); });

struct RenamedRow {
    const char* scenario;
    const wchar_t* name;
};

void PrintTo(const RenamedRow& row, std::ostream* out) { *out << row.scenario; }

class AbnormalEndRenamed : public LauncherCase, public ::testing::WithParamInterface<RenamedRow> {};

TEST_P(AbnormalEndRenamed, CaptionsTheBoxWithTheExecutablesOwnName)
{
    TestRegistryKey key(kJavaRuntimeKey, KEY_WOW64_64KEY);
    ASSERT_TRUE(key.SetDword(kJavaHomeValue, 7));
    const std::wstring renamed = PlaceLauncher(Under(L"bin"), GetParam().name);
    LauncherStart start = StartIn(App());
    start.executable = renamed;
    // The program token names the usual file: the caption comes from the file itself.
    start.commandLine = L"KorveNembral.exe";

    const LauncherOutcome outcome = Run(start);

    EXPECT_EQ(3u, outcome.exitCode);
    EXPECT_FALSE(Record().present);
    ExpectAbnormalTermination(outcome, GetParam().name);
}

const RenamedRow kRenamed[] = {
    {"OtherName", L"Iniciar Korve.exe"},
    {"LowerCase", L"korvenembral.exe"},
    {"PercentSigns", L"Korve 100% %s.exe"},
};

INSTANTIATE_TEST_SUITE_P(, AbnormalEndRenamed, ::testing::ValuesIn(kRenamed),
                         [](const auto& info) { return std::string(info.param.scenario); });

TEST_F(LauncherCase, AbnormalEndCaptionIsCutWithAPathLongerThanItsBuffer)
{
    // A folder deep enough that the 128-byte path buffer ends inside the file name.
    std::wstring folder = Under(L"long");
    while (folder.size() + 1 < 120) folder += L"\\deeper";
    folder = folder.substr(0, 120);
    if (folder.back() == L'\\') folder.pop_back();
    const std::wstring launcher = PlaceLauncher(folder, L"KorveNembral.exe");
    const std::wstring path = launcher.substr(0, 127);
    TestRegistryKey key(kJavaRuntimeKey, KEY_WOW64_64KEY);
    ASSERT_TRUE(key.SetDword(kJavaHomeValue, 7));
    LauncherStart start = StartIn(App());
    start.executable = launcher;
    start.commandLine = L"\"" + launcher + L"\"";

    const LauncherOutcome outcome = Run(start);

    EXPECT_EQ(3u, outcome.exitCode);
    ExpectAbnormalTermination(outcome, path.substr(path.find_last_of(L'\\') + 1));
}

TEST_F(LauncherCase, EmptyDwordJavaHomeIsNoErrorButAnEmptyHome)
{
    TestRegistryKey key(kJavaRuntimeKey, KEY_WOW64_64KEY);
    ASSERT_TRUE(key.SetValue(kJavaHomeValue, REG_DWORD, ""));

    const LauncherOutcome outcome = Run(StartIn(App()));

    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_FALSE(Record().present);
    const std::wstring expected =
        L"\"\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar \"" + App() + L"\\korve2020.jar\" --start";
    ExpectFailureReport(outcome, RefusalCode(Ansi(expected), Ansi(App())));
}

// --- The mode a hard command line selects -----------------------------------

enum class Mode { Local, Fixed, Empty };

struct SplittingRow {
    const char* scenario;
    const wchar_t* commandLine;
    Mode mode;
};

void PrintTo(const SplittingRow& row, std::ostream* out) { *out << row.scenario; }

class CommandLineSplitting : public LauncherCase,
                             public ::testing::WithParamInterface<SplittingRow> {
protected:
    static std::wstring Created(const std::wstring& folder)
    {
        EXPECT_TRUE(CreateFolders(folder));
        return folder;
    }

    CommandLineSplitting()
        : drive_(L'D', Created(Under(L"drive-d"))), product_(kProductKey, KEY_WOW64_64KEY)
    {
        // Every mode can start: the local runtime here, the fixed installation on D:.
        PlaceLocalRuntime(App());
        EXPECT_TRUE(drive_.IsMapped());
        EXPECT_TRUE(CreateFolders(kFixedWorkingDirectory));
        PlaceStandIn(kInstalledJava);
        EXPECT_TRUE(product_.SetString(kExecutableValue, kInstalledJava));
    }

    MappedDrive drive_;
    TestRegistryKey product_;
};

TEST_P(CommandLineSplitting, SelectsTheModeOfItsFirstArgument)
{
    LauncherStart start = StartIn(App());
    start.commandLine = Fill(GetParam().commandLine, start.executable);

    const LauncherOutcome outcome = Run(start);

    EXPECT_EQ(0u, outcome.exitCode);
    const ChildRecord child = Record();
    switch (GetParam().mode) {
        case Mode::Local:
            EXPECT_TRUE(outcome.boxes.empty());
            ASSERT_TRUE(child.present);
            EXPECT_EQ(ToUtf8(LocalCommandLine(App())), ToUtf8(child.commandLine));
            EXPECT_EQ(ToUtf8(App()), ToUtf8(child.currentDirectory));
            break;
        case Mode::Fixed:
            EXPECT_TRUE(outcome.boxes.empty());
            ASSERT_TRUE(child.present);
            EXPECT_EQ(ToUtf8(FixedCommandLine(kInstalledJava)), ToUtf8(child.commandLine));
            EXPECT_EQ(ToUtf8(kFixedWorkingDirectory), ToUtf8(child.currentDirectory));
            break;
        case Mode::Empty:
            EXPECT_FALSE(child.present);
            ExpectFailureReport(outcome, EmptyPlanCode());
            break;
    }
}

const SplittingRow kSplitting[] = {
    {"NoArgument", L"{launcher}", Mode::Local},
    {"EmptyQuotesBeforeTheKeyword", L"{launcher} \"\" OLM", Mode::Fixed},
    {"OnlyEmptyQuotes", L"{launcher} \"\" \"\"", Mode::Local},
    {"QuotePairJoinedBeforeTheKeyword", L"{launcher} \"\"OLM", Mode::Fixed},
    {"ThirdQuoteOpensASectionToTheEnd", L"{launcher} \"\"\" OLM", Mode::Empty},
    {"QuotedLetterInside", L"{launcher} O\"L\"M", Mode::Fixed},
    {"QuotePairAfterTheKeyword", L"{launcher} OLM\"\"", Mode::Fixed},
    {"QuotedSpaces", L"{launcher} \"O L M\"", Mode::Empty},
    {"UnclosedQuote", L"{launcher} \"OLM", Mode::Fixed},
    {"LoneQuoteAtTheEnd", L"{launcher} OLM \"", Mode::Fixed},
    {"KeywordJoinedToTheQuotedProgram", L"\"{path}\"OLM", Mode::Local},
    {"BackslashEscapesNothing", L"{launcher} \\\"OLM\\\"", Mode::Empty},
    {"TabAndLineEnds", L"{launcher}\tOLM\r\n", Mode::Fixed},
    {"ControlCharacterSeparates", L"{launcher}\x01OLM", Mode::Fixed},
    {"NoBreakSpaceIsNoSeparator", L"{launcher}\u00a0OLM", Mode::Local},
    {"NoBreakSpaceAfterTheKeyword", L"{launcher} OLM\u00a0", Mode::Empty},
    {"TrailingBackslashInQuotes", L"{launcher} \"C:\\Dir\\\" OLM", Mode::Empty},
    {"NoProgramTokenButTheKeyword", L"OLM", Mode::Local},
    {"NoProgramTokenButTheKeywordTwice", L"OLM olm", Mode::Fixed},
    {"EmptyCommandLine", L"", Mode::Local},
};

INSTANTIATE_TEST_SUITE_P(, CommandLineSplitting, ::testing::ValuesIn(kSplitting),
                         [](const auto& info) { return std::string(info.param.scenario); });

// --- Two launchers at once --------------------------------------------------

TEST_F(LauncherCase, TwoLaunchersAtOnceEachStartAndAwaitTheirOwnChild)
{
    const std::wstring first = Under(L"first");
    const std::wstring second = Under(L"second");
    ASSERT_TRUE(CreateFolders(first));
    ASSERT_TRUE(CreateFolders(second));
    PlaceLocalRuntime(first);
    PlaceLocalRuntime(second);
    LauncherStart startFirst = StartIn(first);
    startFirst.environment[0].value = Under(L"first.txt");
    startFirst.environment.push_back({L"STANDIN_SLEEP_MS", L"3000"});
    LauncherStart startSecond = StartIn(second);
    startSecond.environment[0].value = Under(L"second.txt");
    startSecond.environment.push_back({L"STANDIN_SLEEP_MS", L"3000"});

    LauncherRun runFirst(startFirst);
    LauncherRun runSecond(startSecond);
    bool firstDone = false;
    bool secondDone = false;
    while (!firstDone || !secondDone) {
        firstDone = runFirst.Poll();
        secondDone = runSecond.Poll();
    }

    for (const LauncherOutcome* outcome : {&runFirst.Outcome(), &runSecond.Outcome()}) {
        EXPECT_TRUE(outcome->started);
        EXPECT_FALSE(outcome->timedOut);
        EXPECT_EQ(0u, outcome->exitCode);
        EXPECT_TRUE(outcome->boxes.empty());
    }
    const ChildRecord a = ReadChildRecord(Under(L"first.txt"));
    const ChildRecord b = ReadChildRecord(Under(L"second.txt"));
    ASSERT_TRUE(a.present && a.ended);
    ASSERT_TRUE(b.present && b.ended);
    EXPECT_EQ(ToUtf8(LocalCommandLine(first)), ToUtf8(a.commandLine));
    EXPECT_EQ(ToUtf8(LocalCommandLine(second)), ToUtf8(b.commandLine));
    EXPECT_NE(a.processId, b.processId);
    // Both children ran at the same time: neither launcher waited for the other.
    EXPECT_LT(a.startedMs, b.endedMs);
    EXPECT_LT(b.startedMs, a.endedMs);
    EXPECT_GE(runFirst.Outcome().endedMs, a.endedMs);
    EXPECT_GE(runSecond.Outcome().endedMs, b.endedMs);
}
}  // namespace
