// The real launcher under Wine, told by "OLM" to start the fixed installation
// on drive D:, which each case maps to a folder of its own.
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/drive_mapping.h"
#include "tests/support/launcher_case.h"
#include "tests/support/registry_fixture.h"

namespace {
const wchar_t kInstalledJava[] = L"D:\\Java8\\bin\\javaw.exe";

std::wstring FixedCommandLine(const std::wstring& java)
{
    return L"\"" + java + L"\" -Xms512m -Xmx1024m -jar \"" + kFixedArchiveFolder +
           L"\\korve2020.jar\" --start";
}

class FixedInstallation : public LauncherCase {
protected:
    static std::wstring Created(const std::wstring& folder)
    {
        EXPECT_TRUE(CreateFolders(folder));
        return folder;
    }

    FixedInstallation() : drive_(L'D', Created(Under(L"drive-d")))
    {
        EXPECT_TRUE(drive_.IsMapped());
        EXPECT_TRUE(CreateFolders(kFixedWorkingDirectory));
        EXPECT_TRUE(CreateFolders(kFixedArchiveFolder));
        EXPECT_TRUE(WriteFileBytes(std::wstring(kFixedArchiveFolder) + L"\\korve2020.jar", "PK"));
        PlaceStandIn(kInstalledJava);
        // A local runtime in the current directory, which this mode passes by.
        PlaceLocalRuntime(App());
    }

    MappedDrive drive_;
};

struct KeywordRow {
    const char* scenario;
    const wchar_t* commandLine;  // "{launcher}" stands for the launcher's quoted path
};

void PrintTo(const KeywordRow& row, std::ostream* out) { *out << row.scenario; }

class FixedInstallationKeyword : public FixedInstallation,
                                 public ::testing::WithParamInterface<KeywordRow> {};

std::wstring Fill(const std::wstring& pattern, const std::wstring& launcher)
{
    std::wstring text = pattern;
    const std::wstring marker = L"{launcher}";
    const std::size_t at = text.find(marker);
    if (at != std::wstring::npos) text.replace(at, marker.size(), launcher);
    return text;
}

TEST_P(FixedInstallationKeyword, StartsTheInstalledExecutableInTheTremalTree)
{
    TestRegistryKey product(kProductKey, KEY_WOW64_64KEY);
    ASSERT_TRUE(product.SetString(kExecutableValue, kInstalledJava));
    LauncherStart start = StartIn(App());
    start.commandLine = Fill(GetParam().commandLine, L"\"" + start.executable + L"\"");

    const LauncherOutcome outcome = Run(start);

    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_TRUE(outcome.boxes.empty());
    const ChildRecord child = Record();
    ASSERT_TRUE(child.present);
    EXPECT_EQ(ToUtf8(FixedCommandLine(kInstalledJava)), ToUtf8(child.commandLine));
    EXPECT_EQ(ToUtf8(kFixedWorkingDirectory), ToUtf8(child.currentDirectory));
    EXPECT_EQ(static_cast<DWORD>(STARTF_USESHOWWINDOW), child.flags);
    EXPECT_EQ(static_cast<DWORD>(SW_HIDE), child.showWindow);
    EXPECT_EQ(ToUtf8(kProbe), ToUtf8(child.probe));
}

const KeywordRow kKeywords[] = {
    {"UpperCase", L"{launcher} OLM"},
    {"LowerCase", L"{launcher} olm"},
    {"MixedCase", L"{launcher} Olm"},
    {"Quoted", L"{launcher} \"OLM\""},
    {"WithFurtherArguments", L"{launcher} olm extra \"more args\""},
    {"AfterAnUnquotedProgramToken", L"KorveNembral.exe OLM"},
    {"AfterAProgramPathWithSpaces", L"\"C:\\Program Files\\Korve\\KorveNembral.exe\" olm extra"},
};

INSTANTIATE_TEST_SUITE_P(, FixedInstallationKeyword, ::testing::ValuesIn(kKeywords),
                         [](const auto& info) { return std::string(info.param.scenario); });

TEST_F(FixedInstallation, StartsAnExecutavelInAFolderTheCodePageCannotName)
{
    const std::wstring java = L"D:\\Java \u03a9\u03bc\u03ad\u03b3\u03b1\\bin\\javaw.exe";
    PlaceStandIn(java);
    TestRegistryKey product(kProductKey, KEY_WOW64_64KEY);
    ASSERT_TRUE(product.SetString(kExecutableValue, java));

    const LauncherOutcome outcome = Run(StartIn(App(), L" OLM"));

    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_TRUE(outcome.boxes.empty());
    const ChildRecord child = Record();
    ASSERT_TRUE(child.present);
    const std::wstring named = QuotedUpTo(child.commandLine, L"\"");
    ExpectNamedInCodePage(java, named);
    EXPECT_EQ(ToUtf8(FixedCommandLine(named)), ToUtf8(child.commandLine));
    EXPECT_EQ(ToUtf8(kFixedWorkingDirectory), ToUtf8(child.currentDirectory));
}

struct MissingRow {
    const char* scenario;
    bool productKeyInSixtyFourBitView;
    bool valueInThirtyTwoBitView;
};

void PrintTo(const MissingRow& row, std::ostream* out) { *out << row.scenario; }

class FixedInstallationWithoutExecutable : public FixedInstallation,
                                           public ::testing::WithParamInterface<MissingRow> {};

TEST_P(FixedInstallationWithoutExecutable, StartsNothingAndReportsAMissingFile)
{
    if (GetParam().valueInThirtyTwoBitView && !HasTwoRegistryViews())
        GTEST_SKIP() << "this prefix has one registry view";
    std::vector<std::unique_ptr<TestRegistryKey>> keys;
    if (GetParam().productKeyInSixtyFourBitView)
        keys.push_back(std::make_unique<TestRegistryKey>(kProductKey, KEY_WOW64_64KEY));
    if (GetParam().valueInThirtyTwoBitView) {
        keys.push_back(std::make_unique<TestRegistryKey>(kProductKey, KEY_WOW64_32KEY));
        ASSERT_TRUE(keys.back()->SetString(kExecutableValue, kInstalledJava));
    }

    const LauncherOutcome outcome = Run(StartIn(App(), L" OLM"));

    EXPECT_EQ(0u, outcome.exitCode);
    // The empty name "" would leave the choice of program to the platform's search.
    EXPECT_FALSE(Record().present);
    ExpectFailureReport(outcome, ERROR_FILE_NOT_FOUND);
}

const MissingRow kMissing[] = {
    {"NoProductKey", false, false},
    {"ProductKeyWithoutValue", true, false},
    {"ValueOnlyInTheThirtyTwoBitView", false, true},
};

INSTANTIATE_TEST_SUITE_P(, FixedInstallationWithoutExecutable, ::testing::ValuesIn(kMissing),
                         [](const auto& info) { return std::string(info.param.scenario); });
}  // namespace
