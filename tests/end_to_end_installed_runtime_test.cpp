// The real launcher under Wine, started with no argument in a folder without
// a Java runtime of its own: it takes the installed one from the registry.
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/drive_mapping.h"
#include "tests/support/launcher_case.h"
#include "tests/support/registry_fixture.h"

namespace {
// What one registry view holds of the Java runtime key.
enum class Held { Nothing, KeyWithoutValue, Value };

struct ViewState {
    Held held;
    // Below the case's root folder, unless empty.
    const wchar_t* home;
};

struct InstalledRow {
    const char* scenario;
    ViewState wide;    // the 64-bit view
    ViewState narrow;  // the 32-bit view, the process's default one
    // The stand-ins placed, below the root folder.
    std::vector<const wchar_t*> runtimes;
    // The "JavaHome" the launcher takes, below the root folder; null for none.
    const wchar_t* taken;
    // Whether the rows need two views to mean what they say.
    bool needsTwoViews;
    // The value's type.
    DWORD type = REG_SZ;
};

void PrintTo(const InstalledRow& row, std::ostream* out) { *out << row.scenario; }

class InstalledRuntime : public LauncherCase, public ::testing::WithParamInterface<InstalledRow> {
protected:
    void Hold(const ViewState& state, REGSAM view)
    {
        if (state.held == Held::Nothing) return;
        keys_.push_back(std::make_unique<TestRegistryKey>(kJavaRuntimeKey, view));
        if (state.held != Held::Value) return;
        ASSERT_TRUE(keys_.back()->SetString(kJavaHomeValue, Under(state.home), GetParam().type));
    }

    std::vector<std::unique_ptr<TestRegistryKey>> keys_;
};

std::wstring InstalledCommandLine(const std::wstring& home, const std::wstring& directory)
{
    return L"\"" + home + L"\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar \"" + directory +
           L"\\korve2020.jar\" --start";
}

TEST_P(InstalledRuntime, StartsTheRuntimeThatTheRegistryNames)
{
    const InstalledRow& row = GetParam();
    if (row.needsTwoViews && !HasTwoRegistryViews())
        GTEST_SKIP() << "this prefix has one registry view";
    for (const wchar_t* runtime : row.runtimes) PlaceStandIn(Under(runtime) + L"\\bin\\Javaw.exe");
    Hold(row.wide, KEY_WOW64_64KEY);
    Hold(row.narrow, KEY_WOW64_32KEY);
    // Without a "JavaHome", the runtime's path would be "\bin\Javaw.exe" on
    // the current drive: one that any user may have placed in its root.
    std::unique_ptr<MappedDrive> drive;
    std::wstring app = App();
    if (!row.taken) {
        PlaceStandIn(Under(L"drive\\bin\\Javaw.exe"));
        drive = std::make_unique<MappedDrive>(FreeDriveLetter(), Under(L"drive"));
        ASSERT_TRUE(drive->IsMapped());
        app = drive->Root() + L"app";
        ASSERT_TRUE(CreateFolders(app));
    }

    const LauncherOutcome outcome = Run(StartIn(app));

    EXPECT_EQ(0u, outcome.exitCode);
    const ChildRecord child = Record();
    if (!row.taken) {
        // Nothing is started: the runtime is not configured.
        EXPECT_FALSE(child.present) << ToUtf8(child.commandLine);
        ExpectFailureReport(outcome, ERROR_FILE_NOT_FOUND);
        return;
    }
    const std::wstring home = Under(row.taken);
    const std::wstring expected = InstalledCommandLine(home, app);
    if (::GetFileAttributesW((home + L"\\bin\\Javaw.exe").c_str()) != INVALID_FILE_ATTRIBUTES) {
        EXPECT_TRUE(outcome.boxes.empty());
        ASSERT_TRUE(child.present);
        const std::wstring named = QuotedUpTo(child.commandLine, L"\\bin\\Javaw.exe\"");
        ExpectNamedInCodePage(home, named);
        EXPECT_EQ(ToUtf8(InstalledCommandLine(named, app)), ToUtf8(child.commandLine));
        EXPECT_EQ(ToUtf8(app), ToUtf8(child.currentDirectory));
        EXPECT_EQ(static_cast<DWORD>(SW_HIDE), child.showWindow);
    } else {
        // The runtime is not there: the start is refused and reported.
        EXPECT_FALSE(child.present);
        ExpectFailureReport(outcome, RefusalCode(Ansi(expected), Ansi(app)));
    }
}

const InstalledRow kInstalled[] = {
    {"SixtyFourBitViewOnly",
     {Held::Value, L"jre64"},
     {Held::Nothing, nullptr},
     {L"jre64"},
     L"jre64",
     false},
    {"DefaultViewOnly",
     {Held::Nothing, nullptr},
     {Held::Value, L"jre32"},
     {L"jre32"},
     L"jre32",
     false},
    {"BothViewsTheSixtyFourBitOneWins",
     {Held::Value, L"jre64"},
     {Held::Value, L"jre32"},
     {L"jre64", L"jre32"},
     L"jre64",
     true},
    {"SixtyFourBitKeyWithoutValueHidesTheDefaultView",
     {Held::KeyWithoutValue, nullptr},
     {Held::Value, L"jre32"},
     {L"jre32"},
     nullptr,
     true},
    {"NeitherView", {Held::Nothing, nullptr}, {Held::Nothing, nullptr}, {}, nullptr, false},
    {"PercentSignsAndATrailingSeparator",
     {Held::Value, L"Java 100% %s %d\\"},
     {Held::Nothing, nullptr},
     {L"Java 100% %s %d\\"},
     L"Java 100% %s %d\\",
     false},
    {"ExpandableTextTakenAsItIs",
     {Held::Value, L"%STANDIN_PROBE%"},
     {Held::Nothing, nullptr},
     {L"%STANDIN_PROBE%"},
     L"%STANDIN_PROBE%",
     false,
     REG_EXPAND_SZ},
    {"GreekLetters",
     {Held::Value, L"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1 jre"},
     {Held::Nothing, nullptr},
     {L"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1 jre"},
     L"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1 jre",
     false},
    {"RuntimeThatDoesNotExist",
     {Held::Value, L"missing"},
     {Held::Nothing, nullptr},
     {},
     L"missing",
     false},
};

INSTANTIATE_TEST_SUITE_P(, InstalledRuntime, ::testing::ValuesIn(kInstalled),
                         [](const auto& info) { return std::string(info.param.scenario); });
}  // namespace
