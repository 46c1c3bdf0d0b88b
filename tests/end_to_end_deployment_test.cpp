// The real launcher under Wine as docs/deploying.md describes it to
// administrators: every code of its table in the situation the table names,
// and every sample registry file imported the way a double-click imports it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>

#include "tests/support/drive_mapping.h"
#include "tests/support/launcher_case.h"
#include "tests/support/registry_fixture.h"

#if !defined(DOCS_DIR_WINPATH) || !defined(WINE64_PROGRAMS_WINPATH)
#error "the deployment cases need DOCS_DIR_WINPATH and WINE64_PROGRAMS_WINPATH"
#endif

namespace {
const wchar_t kInstalledJava[] = L"D:\\Java8\\bin\\javaw.exe";

std::wstring DocsFile(const std::wstring& name)
{
    return WindowsPath(DOCS_DIR_WINPATH) + L"\\" + name;
}

// One of Wine's own 64-bit programs (Debian's wine64 package).
std::wstring Wine64Program(const std::wstring& name)
{
    return WindowsPath(WINE64_PROGRAMS_WINPATH) + L"\\" + name;
}

// --- The codes a user may see ----------------------------------------------

enum class Situation {
    StartedInAnotherFolder,
    FixedInstallationNotConfigured,
    JavaFolderWithoutJavaw,
    JavaHomeFolderMissing,
    JavawIsAFolder,
    JavawDamaged,
    SixtyFourBitRuntimeOnThirtyTwoBitWindows,
    FixedWorkingFolderMissing,
    UnknownArgument,
    JavaHomeInQuotes,
    JavaHomeNameWithoutShortName,
    RelativeExecutavelWithADecoyWhereStarted,
    RelativeExecutavelOnlyInTheWorkingFolder,
    JavaHomeWithAWildcard,
    JavaHomeWithAPipe,
};

// A relative "Executavel" whose first folder the code page cannot write.
const wchar_t kRelativeFolder[] = L"olm \u03a9\u03bc\u03ad\u03b3\u03b1";
const wchar_t kRelativeJava[] = L"olm \u03a9\u03bc\u03ad\u03b3\u03b1\\bin\\javaw.exe";

// Returns the short name the file system gives the last component of `path`.
std::wstring ShortNameOf(const std::wstring& path)
{
    wchar_t shortPath[MAX_PATH];
    const DWORD length = ::GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
    EXPECT_TRUE(length > 0 && length < MAX_PATH) << ToUtf8(path);
    const std::wstring whole(shortPath, length < MAX_PATH ? length : 0);
    return whole.substr(whole.rfind(L'\\') + 1);
}

struct CodeRow {
    const char* scenario;
    Situation situation;
    // The code in "Erro <code> ao executar o aplicativo." under Wine.
    DWORD code;
};

void PrintTo(const CodeRow& row, std::ostream* out) { *out << row.scenario; }

class RefusalCodes : public LauncherCase, public ::testing::WithParamInterface<CodeRow> {
protected:
    // Maps D: to a folder of the case's own and lays out the fixed
    // installation there: the archive's folder always, the working folder
    // when asked, and the runtime that "Executavel" names when asked.
    void LayOutFixedInstallation(bool workingFolder, bool executable)
    {
        const std::wstring drive = Under(L"drive-d");
        ASSERT_TRUE(CreateFolders(drive));
        drive_ = std::make_unique<MappedDrive>(L'D', drive);
        ASSERT_TRUE(drive_->IsMapped());
        ASSERT_TRUE(CreateFolders(kFixedArchiveFolder));
        if (workingFolder) {
            ASSERT_TRUE(CreateFolders(kFixedWorkingDirectory));
        }
        if (!executable) return;
        PlaceStandIn(kInstalledJava);
        keys_.push_back(std::make_unique<TestRegistryKey>(kProductKey, KEY_WOW64_64KEY));
        ASSERT_TRUE(keys_.back()->SetString(kExecutableValue, kInstalledJava));
    }

    // The fixed installation with the relative "Executavel", its folder placed
    // in the launcher's starting folder or only in the working folder. A
    // program named like the first one's short name waits in the working
    // folder, which the start searches after the change of directory.
    void LayOutRelativeExecutavel(bool whereStarted)
    {
        LayOutFixedInstallation(true, false);
        keys_.push_back(std::make_unique<TestRegistryKey>(kProductKey, KEY_WOW64_64KEY));
        ASSERT_TRUE(keys_.back()->SetString(kExecutableValue, kRelativeJava));
        const std::wstring working = kFixedWorkingDirectory;
        if (!whereStarted) {
            PlaceStandIn(working + L"\\" + kRelativeJava);
            return;
        }
        PlaceStandIn(App() + L"\\" + kRelativeJava);
        PlaceStandIn(working + L"\\" + ShortNameOf(App() + L"\\" + kRelativeFolder) +
                     L"\\bin\\javaw.exe");
    }

    void SetJavaHome(const std::wstring& home)
    {
        keys_.push_back(std::make_unique<TestRegistryKey>(kJavaRuntimeKey, KEY_WOW64_64KEY));
        ASSERT_TRUE(keys_.back()->SetString(kJavaHomeValue, home));
    }

    std::unique_ptr<MappedDrive> drive_;
    std::vector<std::unique_ptr<TestRegistryKey>> keys_;
};

TEST_P(RefusalCodes, ReportsTheCodeOfTheGuidesTable)
{
    const CodeRow& row = GetParam();
    const bool thirtyTwoBitWindows = !HasTwoRegistryViews();
    if ((row.situation == Situation::SixtyFourBitRuntimeOnThirtyTwoBitWindows) !=
        thirtyTwoBitWindows)
        GTEST_SKIP() << (thirtyTwoBitWindows ? "a case for 64-bit Windows"
                                             : "a case for 32-bit Windows (a 32-bit prefix)");
    std::wstring arguments;
    switch (row.situation) {
        case Situation::StartedInAnotherFolder:
            // The runtime lies beside the launcher, and its shortcut starts it elsewhere.
            PlaceLocalRuntime(root_.Path());
            break;
        case Situation::FixedInstallationNotConfigured:
            LayOutFixedInstallation(true, false);
            arguments = L" OLM";
            break;
        case Situation::JavaFolderWithoutJavaw:
            ASSERT_TRUE(CreateFolders(App() + L"\\Java\\bin"));
            break;
        case Situation::JavaHomeFolderMissing:
            SetJavaHome(Under(L"jre1.8.0_401"));
            break;
        case Situation::JavawIsAFolder:
            ASSERT_TRUE(CreateFolders(App() + L"\\Java\\bin\\Javaw.exe"));
            break;
        case Situation::JavawDamaged:
            ASSERT_TRUE(CreateFolders(App() + L"\\Java\\bin"));
            ASSERT_TRUE(WriteFileBytes(App() + L"\\Java\\bin\\Javaw.exe",
                                       "MZ cut short by an interrupted copy"));
            break;
        case Situation::SixtyFourBitRuntimeOnThirtyTwoBitWindows:
            ASSERT_TRUE(
                CopyInto(Wine64Program(L"hostname.exe"), App() + L"\\Java\\bin\\Javaw.exe"));
            break;
        case Situation::FixedWorkingFolderMissing:
            LayOutFixedInstallation(false, true);
            arguments = L" OLM";
            break;
        case Situation::JavaHomeInQuotes:
            PlaceStandIn(Under(L"jre1.8.0_401\\bin\\Javaw.exe"));
            SetJavaHome(L"\"" + Under(L"jre1.8.0_401") + L"\"");
            break;
        case Situation::JavaHomeNameWithoutShortName:
            // Wine gives every name a short one; a folder that is not there has none.
            SetJavaHome(Under(L"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1\\jre1.8.0_401"));
            break;
        case Situation::RelativeExecutavelWithADecoyWhereStarted:
            LayOutRelativeExecutavel(true);
            arguments = L" OLM";
            break;
        case Situation::RelativeExecutavelOnlyInTheWorkingFolder:
            LayOutRelativeExecutavel(false);
            arguments = L" OLM";
            break;
        case Situation::JavaHomeWithAWildcard:
            // A look-up of the value would match the runtime's folder.
            PlaceStandIn(Under(L"\u03a9jre8\\bin\\Javaw.exe"));
            SetJavaHome(Under(L"\u03a9jre*"));
            break;
        case Situation::JavaHomeWithAPipe:
            PlaceStandIn(Under(L"\u03a9jre8\\bin\\Javaw.exe"));
            SetJavaHome(Under(L"\u03a9jre|8"));
            break;
        case Situation::UnknownArgument:
            // A runtime of its own, which an argument other than "OLM" passes by.
            PlaceLocalRuntime(App());
            arguments = L" /OLM";
            break;
    }

    const LauncherOutcome outcome = Run(StartIn(App(), arguments));

    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_FALSE(Record().present);
    ExpectFailureReport(outcome, row.code);
}

const CodeRow kCodes[] = {
    {"StartedInAnotherFolder", Situation::StartedInAnotherFolder, ERROR_FILE_NOT_FOUND},
    {"FixedInstallationNotConfigured", Situation::FixedInstallationNotConfigured,
     ERROR_FILE_NOT_FOUND},
    {"JavaFolderWithoutJavaw", Situation::JavaFolderWithoutJavaw, ERROR_FILE_NOT_FOUND},
    {"JavaHomeFolderMissing", Situation::JavaHomeFolderMissing, ERROR_FILE_NOT_FOUND},
    {"JavawIsAFolder", Situation::JavawIsAFolder, ERROR_ACCESS_DENIED},
    {"JavawDamaged", Situation::JavawDamaged, ERROR_BAD_EXE_FORMAT},
    {"SixtyFourBitRuntimeOnThirtyTwoBitWindows",
     Situation::SixtyFourBitRuntimeOnThirtyTwoBitWindows, ERROR_BAD_EXE_FORMAT},
    {"FixedWorkingFolderMissing", Situation::FixedWorkingFolderMissing, ERROR_DIRECTORY},
    {"UnknownArgument", Situation::UnknownArgument, ERROR_FILE_NOT_FOUND},
    {"JavaHomeInQuotes", Situation::JavaHomeInQuotes, ERROR_INVALID_NAME},
    {"JavaHomeNameWithoutShortName", Situation::JavaHomeNameWithoutShortName,
     ERROR_NO_UNICODE_TRANSLATION},
    {"RelativeExecutavelWithADecoyWhereStarted",
     Situation::RelativeExecutavelWithADecoyWhereStarted, ERROR_NO_UNICODE_TRANSLATION},
    {"RelativeExecutavelOnlyInTheWorkingFolder",
     Situation::RelativeExecutavelOnlyInTheWorkingFolder, ERROR_NO_UNICODE_TRANSLATION},
    {"JavaHomeWithAWildcard", Situation::JavaHomeWithAWildcard, ERROR_INVALID_NAME},
    {"JavaHomeWithAPipe", Situation::JavaHomeWithAPipe, ERROR_INVALID_NAME},
};

INSTANTIATE_TEST_SUITE_P(, RefusalCodes, ::testing::ValuesIn(kCodes),
                         [](const auto& info) { return std::string(info.param.scenario); });

// The guide's table rows begin "| Erro <code> |"; returns their codes.
std::set<DWORD> CodesOfTheGuide()
{
    std::set<DWORD> codes;
    const std::string guide = ReadFileBytes(DocsFile(L"deploying.md"));
    const std::string marker = "\n| Erro ";
    for (std::size_t at = guide.find(marker); at != std::string::npos;
         at = guide.find(marker, at + 1))
        codes.insert(std::strtoul(guide.c_str() + at + marker.size(), nullptr, 10));
    return codes;
}

TEST(DeploymentGuide, TablesNoCodeThatNoCaseProduces)
{
    std::set<DWORD> produced;
    for (const CodeRow& row : kCodes) produced.insert(row.code);
    const std::set<DWORD> tabled = CodesOfTheGuide();
    EXPECT_FALSE(tabled.empty()) << "no table of codes in docs/deploying.md";
    for (DWORD code : tabled) EXPECT_EQ(1u, produced.count(code)) << "Erro " << code;
    for (DWORD code : produced) EXPECT_EQ(1u, tabled.count(code)) << "Erro " << code;
}

// --- The sample registry files ---------------------------------------------

struct SampleRow {
    const char* scenario;
    const wchar_t* file;
    const char* value;
    // The view the value must land in, and the key it must land in there.
    REGSAM view;
    const wchar_t* key;
    // Whether the launcher is started with "OLM".
    bool fixedInstallation;
};

void PrintTo(const SampleRow& row, std::ostream* out) { *out << row.scenario; }

class RegistrySample : public LauncherCase, public ::testing::WithParamInterface<SampleRow> {};

// Returns the .reg text with the data of `value` replaced by `data`; only the
// string between the quotes changes. Empty when the value is not there once.
std::string WithData(const std::string& sample, const std::string& value, const std::string& data)
{
    const std::string marker = "\n\"" + value + "\"=\"";
    const std::size_t at = sample.find(marker);
    if (at == std::string::npos || sample.find(marker, at + 1) != std::string::npos) return {};
    const std::size_t begin = at + marker.size();
    const std::size_t end = sample.find('"', begin);
    if (end == std::string::npos) return {};
    std::string escaped;
    for (char c : data) {
        if (c == '\\' || c == '"') escaped += '\\';
        escaped += c;
    }
    return sample.substr(0, begin) + escaped + sample.substr(end);
}

TEST_P(RegistrySample, ImportedByDoubleClickMakesTheLauncherStartTheRuntimeItNames)
{
    const SampleRow& row = GetParam();
    if (!HasTwoRegistryViews()) GTEST_SKIP() << "the samples are imported on 64-bit Windows";
    const std::string sample = ReadFileBytes(DocsFile(std::wstring(L"registry\\") + row.file));
    ASSERT_FALSE(sample.empty()) << ToUtf8(row.file);

    std::unique_ptr<MappedDrive> drive;
    std::wstring runtime;
    if (row.fixedInstallation) {
        ASSERT_TRUE(CreateFolders(Under(L"drive-d")));
        drive = std::make_unique<MappedDrive>(L'D', Under(L"drive-d"));
        ASSERT_TRUE(drive->IsMapped());
        ASSERT_TRUE(CreateFolders(kFixedWorkingDirectory));
        runtime = Under(L"jre\\bin\\javaw.exe");
        PlaceStandIn(runtime);
    } else {
        runtime = Under(L"jre");
        PlaceStandIn(runtime + L"\\bin\\Javaw.exe");
    }
    const std::string copy = WithData(sample, row.value, Ansi(runtime));
    ASSERT_FALSE(copy.empty()) << "no single \"" << row.value << "\" in " << ToUtf8(row.file);
    const std::wstring imported = Under(row.file);
    ASSERT_TRUE(WriteFileBytes(imported, copy));

    // Removed again in both views, wherever the import puts it.
    const REGSAM other = row.view == KEY_WOW64_64KEY ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    ImportedRegistryKey landed(row.key, row.view);
    ImportedRegistryKey strayed(row.key, other);
    ASSERT_FALSE(landed.WasThere() || strayed.WasThere()) << "the key is there before the import";

    // A double-click runs the 64-bit regedit, silent here as an administrator's script runs it.
    LauncherStart import;
    import.executable = Wine64Program(L"regedit.exe");
    import.commandLine = L"regedit.exe /s \"" + imported + L"\"";
    import.currentDirectory = root_.Path();
    const LauncherOutcome importing = RunLauncher(import);
    ASSERT_TRUE(importing.started) << "error " << importing.startError;
    ASSERT_EQ(0u, importing.exitCode);
    EXPECT_TRUE(landed.IsThere()) << "not in the view the launcher reads";
    EXPECT_FALSE(strayed.IsThere()) << "in the other view";

    const LauncherOutcome outcome = Run(StartIn(App(), row.fixedInstallation ? L" OLM" : L""));

    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_TRUE(outcome.boxes.empty());
    const ChildRecord child = Record();
    ASSERT_TRUE(child.present);
    const std::wstring expected =
        row.fixedInstallation ? L"\"" + runtime + L"\" -Xms512m -Xmx1024m -jar \"" +
                                    kFixedArchiveFolder + L"\\korve2020.jar\" --start"
                              : L"\"" + runtime + L"\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar \"" +
                                    App() + L"\\korve2020.jar\" --start";
    EXPECT_EQ(ToUtf8(expected), ToUtf8(child.commandLine));
}

const SampleRow kSamples[] = {
    {"JavaHomeInTheSixtyFourBitView", L"java-home-64-bit-view.reg", "JavaHome", KEY_WOW64_64KEY,
     kJavaRuntimeKey, false},
    {"JavaHomeInTheThirtyTwoBitView", L"java-home-32-bit-view.reg", "JavaHome", KEY_WOW64_32KEY,
     kJavaRuntimeKey, false},
    {"Executavel", L"executavel.reg", "Executavel", KEY_WOW64_64KEY, kProductKey, true},
};

INSTANTIATE_TEST_SUITE_P(, RegistrySample, ::testing::ValuesIn(kSamples),
                         [](const auto& info) { return std::string(info.param.scenario); });
}  // namespace
