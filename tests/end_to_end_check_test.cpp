// The setup check against the real launcher under Wine: in each situation the
// check's report, made first, is what the launcher then does, and the check
// leaves the folder and the registry as they were.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/drive_mapping.h"
#include "tests/support/launcher_case.h"
#include "tests/support/registry_fixture.h"

#if !defined(WINE64_PROGRAMS_WINPATH)
#error "the fix's import needs WINE64_PROGRAMS_WINPATH"
#endif

namespace {
const wchar_t kInstalledJava[] = L"D:\\Java8\\bin\\javaw.exe";
const int kNoCode = -1;

std::wstring BuiltCheck() { return WindowsPath(CHECK_EXE_WINPATH); }

// Returns the value of `key` in the check's one-line JSON object: a string's
// text unescaped, any other value as written; "<missing>" when it is not there.
std::wstring JsonValue(const std::string& json, const std::string& key)
{
    const std::string marker = "\"" + key + "\":";
    std::size_t at = json.find(marker);
    if (at == std::string::npos) return L"<missing>";
    at += marker.size();
    if (json[at] != '"') return FromUtf8(json.substr(at, json.find_first_of(",}", at) - at));
    std::wstring text;
    for (++at; at < json.size() && json[at] != '"'; ++at) {
        if (json[at] != '\\') {
            text += static_cast<wchar_t>(json[at]);
        } else if (json[++at] == 'u') {
            text += static_cast<wchar_t>(std::stoul(json.substr(at + 1, 4), nullptr, 16));
            at += 4;
        } else {
            text += static_cast<wchar_t>(json[at]);
        }
    }
    return text;
}

// The files below `folder` with their sizes and times, one line each.
std::string FolderListing(const std::wstring& folder)
{
    std::string listing;
    WIN32_FIND_DATAW entry;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return listing;
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        listing += ToUtf8(folder + L"\\" + name) + " " + std::to_string(entry.dwFileAttributes) +
                   " " + std::to_string(entry.nFileSizeLow) + " " +
                   std::to_string(entry.ftLastWriteTime.dwLowDateTime) + "\n";
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            listing += FolderListing(folder + L"\\" + name);
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return listing;
}

// Whether the launcher's keys are there in either view, and when each was last written.
std::string RegistryListing()
{
    std::string listing;
    for (const wchar_t* path : {kJavaRuntimeKey, kProductKey}) {
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            HKEY key = nullptr;
            if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &key) != 0) {
                listing += "absent\n";
                continue;
            }
            DWORD values = 0;
            FILETIME written = {};
            ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, &written);
            ::RegCloseKey(key);
            listing += std::to_string(values) + " values, written " +
                       std::to_string(written.dwLowDateTime) + "\n";
        }
    }
    return listing;
}

struct CheckRow {
    const char* scenario;
    const wchar_t* arguments;
    bool localRuntime;
    // One registry value; no key when `key` is null, the key alone when `value` is.
    const wchar_t* key;
    REGSAM view;
    const wchar_t* value;
    DWORD type;
    // REG_SZ text: a path on D:, or a runtime folder below the case's root.
    const wchar_t* text;
    bool placeRuntime;
    bool driveD;
    // What the check is to report.
    const char* mode;
    const char* verdict;
    int code;
    bool needsTwoViews;
    // One more fact the report must state, when given.
    const char* factKey = nullptr;
    const wchar_t* factValue = nullptr;
};

void PrintTo(const CheckRow& row, std::ostream* out) { *out << row.scenario; }

class CheckPrediction : public LauncherCase, public ::testing::WithParamInterface<CheckRow> {
protected:
    // Lays out the row's folder, drive and registry value.
    void Arrange(const CheckRow& row)
    {
        if (row.localRuntime) PlaceLocalRuntime(App());
        if (row.driveD) {
            ASSERT_TRUE(CreateFolders(Under(L"drive-d")));
            drive_ = std::make_unique<MappedDrive>(L'D', Under(L"drive-d"));
            ASSERT_TRUE(drive_->IsMapped());
            ASSERT_TRUE(CreateFolders(kFixedWorkingDirectory));
        }
        if (!row.key) return;
        key_ = std::make_unique<TestRegistryKey>(row.key, row.view);
        if (!row.value) return;
        if (row.type == REG_DWORD) {
            ASSERT_TRUE(key_->SetDword(row.value, 1));
            return;
        }
        const std::wstring text(row.text);
        const bool onDriveD = text.rfind(L"D:", 0) == 0;
        const std::wstring path = onDriveD ? text : Under(text);
        ASSERT_TRUE(key_->SetString(row.value, path, row.type));
        if (row.placeRuntime) PlaceStandIn(onDriveD ? path : path + L"\\bin\\Javaw.exe");
    }

    // Runs the check with --json in the application folder; returns its exit
    // status and fills `json` with what it printed.
    DWORD RunCheck(const std::wstring& arguments, std::string& json)
    {
        LauncherStart start;
        start.executable = BuiltCheck();
        start.commandLine = L"\"" + start.executable + L"\" --json" + arguments;
        start.currentDirectory = App();
        start.outputPath = output_ / L"check.json";
        const LauncherOutcome outcome = Run(start);
        EXPECT_TRUE(outcome.boxes.empty());
        json = ReadFileBytes(start.outputPath);
        return outcome.exitCode;
    }

    std::string Snapshot() { return FolderListing(root_.Path()) + RegistryListing(); }

    TempFolder output_;
    std::unique_ptr<MappedDrive> drive_;
    std::unique_ptr<TestRegistryKey> key_;
};

TEST_P(CheckPrediction, ReportsWhatTheLauncherThenDoes)
{
    const CheckRow& row = GetParam();
    if (row.needsTwoViews && !HasTwoRegistryViews())
        GTEST_SKIP() << "this prefix has one registry view";
    Arrange(row);
    const std::string before = Snapshot();

    std::string json;
    const DWORD status = RunCheck(row.arguments, json);

    EXPECT_EQ(before, Snapshot()) << "the check changed the folder or the registry";
    EXPECT_EQ(row.verdict, ToUtf8(JsonValue(json, "verdict"))) << json;
    EXPECT_EQ(row.mode, ToUtf8(JsonValue(json, "mode"))) << json;
    const std::wstring code = JsonValue(json, "code");
    EXPECT_EQ(row.code == kNoCode ? L"null" : std::to_wstring(row.code), code) << json;
    EXPECT_EQ(std::string(row.verdict) == "start" ? 0u : 1u, status);
    if (row.factKey) {
        EXPECT_EQ(ToUtf8(row.factValue), ToUtf8(JsonValue(json, row.factKey))) << json;
    }
    const std::wstring commandLine = JsonValue(json, "commandLine");
    const std::wstring directory = JsonValue(json, "workingDirectory");

    const LauncherOutcome outcome = Run(StartIn(App(), row.arguments));

    const ChildRecord child = Record();
    const std::string verdict = row.verdict;
    if (verdict == "start") {
        EXPECT_EQ(0u, outcome.exitCode);
        EXPECT_TRUE(outcome.boxes.empty());
        ASSERT_TRUE(child.present);
        EXPECT_EQ(ToUtf8(child.commandLine), ToUtf8(commandLine));
        EXPECT_EQ(ToUtf8(child.currentDirectory), ToUtf8(directory));
    } else if (verdict == "refuse") {
        EXPECT_EQ(0u, outcome.exitCode);
        EXPECT_FALSE(child.present);
        // Where the check cannot know the code, it is the platform's refusal
        // of the very plan the check reported.
        ExpectFailureReport(outcome, code == L"null"
                                         ? RefusalCode(Ansi(commandLine), Ansi(directory))
                                         : static_cast<DWORD>(std::stoul(code)));
    } else {
        EXPECT_EQ(3u, outcome.exitCode);
        EXPECT_FALSE(child.present);
        ExpectAbnormalTermination(outcome, L"KorveNembral.exe");
        EXPECT_EQ(L"", commandLine);
        EXPECT_EQ(ToUtf8(row.value), ToUtf8(JsonValue(json, "abnormalValue")));
        EXPECT_EQ(row.type == REG_DWORD ? L"REG_DWORD" : L"REG_MULTI_SZ",
                  JsonValue(json, "abnormalType"));
        EXPECT_EQ(row.view == KEY_WOW64_64KEY ? L"64-bit" : L"32-bit",
                  JsonValue(json, "abnormalView"));
    }
}

const CheckRow kChecks[] = {
    {"JavaFolder", L"", true, nullptr, 0, nullptr, 0, nullptr, false, false, "local-runtime",
     "start", kNoCode, false, "kind", L"folder"},
    {"JavaHomeInTheSixtyFourBitView", L"", false, kJavaRuntimeKey, KEY_WOW64_64KEY, kJavaHomeValue,
     REG_SZ, L"jre64", true, false, "installed-runtime", "start", kNoCode, false},
    {"JavaHomeOnlyInTheThirtyTwoBitView", L"", false, kJavaRuntimeKey, KEY_WOW64_32KEY,
     kJavaHomeValue, REG_SZ, L"jre32", true, false, "installed-runtime", "start", kNoCode, true},
    {"JavaHomeNamingNoRuntime", L"", false, kJavaRuntimeKey, KEY_WOW64_64KEY, kJavaHomeValue,
     REG_SZ, L"missing", false, false, "installed-runtime", "refuse", kNoCode, false},
    {"NoRuntimeConfigured", L"", false, nullptr, 0, nullptr, 0, nullptr, false, false,
     "installed-runtime", "refuse", 2, false, "kind", L"absent"},
    {"SixtyFourBitKeyWithoutJavaHome", L"", false, kJavaRuntimeKey, KEY_WOW64_64KEY, nullptr, 0,
     nullptr, false, false, "installed-runtime", "refuse", 2, false},
    {"JavaHomeOfTheWrongTypeInTheThirtyTwoBitView", L"", false, kJavaRuntimeKey, KEY_WOW64_32KEY,
     kJavaHomeValue, REG_MULTI_SZ, L"jre", false, false, "installed-runtime", "abnormal", kNoCode,
     true},
    {"FixedInstallation", L" OLM", false, kProductKey, KEY_WOW64_64KEY, kExecutableValue, REG_SZ,
     kInstalledJava, true, true, "fixed-installation", "start", kNoCode, false},
    {"FixedInstallationWithoutExecutavel", L" olm", false, kProductKey, KEY_WOW64_64KEY, nullptr, 0,
     nullptr, false, true, "fixed-installation", "refuse", 2, false},
    {"ExecutavelOnlyInTheThirtyTwoBitView", L" OLM", false, kProductKey, KEY_WOW64_32KEY,
     kExecutableValue, REG_SZ, kInstalledJava, true, true, "fixed-installation", "refuse", 2, true,
     "executavelOnlyInUnreadView", L"true"},
    {"ExecutavelOfTheWrongType", L" OLM", false, kProductKey, KEY_WOW64_64KEY, kExecutableValue,
     REG_DWORD, nullptr, false, true, "fixed-installation", "abnormal", kNoCode, false},
    {"OtherFirstArgument", L" OLMX", true, nullptr, 0, nullptr, 0, nullptr, false, false,
     "empty-plan", "refuse", kNoCode, false},
};

INSTANTIATE_TEST_SUITE_P(, CheckPrediction, ::testing::ValuesIn(kChecks),
                         [](const auto& info) { return std::string(info.param.scenario); });

TEST_F(LauncherCase, CheckTakesAnOptionItDoesNotKnowForAUsageError)
{
    LauncherStart start;
    start.executable = BuiltCheck();
    start.commandLine = L"\"" + start.executable + L"\" --jsno OLM";
    start.currentDirectory = App();
    start.outputPath = Under(L"usage.txt");

    EXPECT_EQ(2u, Run(start).exitCode);
}

// --- Java runtimes registered where the launcher does not read ----------------

// One registration: a key in one view, and a value naming a stand-in's folder.
struct Registered {
    const wchar_t* key;
    REGSAM view;
    // The key alone when null.
    const wchar_t* value;
    // Below the case's root; holds bin\Javaw.exe.
    const wchar_t* folder;
    // As the OpenJDK MSI writes its "Path".
    bool trailingSeparator;
    bool listedUsable;
};

struct ElsewhereRow {
    const char* scenario;
    Registered registrations[3];
    int count;
    // The registration whose folder the fix names; -1 for no fix.
    int chosen;
};

void PrintTo(const ElsewhereRow& row, std::ostream* out) { *out << row.scenario; }

// Returns the text of each object of the member `key` in the check's JSON:
// every object of an array, or the one object.
std::vector<std::string> JsonObjects(const std::string& json, const std::string& key)
{
    std::vector<std::string> objects;
    const std::string marker = "\"" + key + "\":";
    std::size_t at = json.find(marker);
    if (at == std::string::npos) return objects;
    at += marker.size();
    const bool array = json[at] == '[';
    int depth = 0;
    bool inString = false;
    std::size_t begin = 0;
    for (; at < json.size(); ++at) {
        const char c = json[at];
        if (inString) {
            if (c == '\\')
                ++at;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' && depth++ == 0) {
            begin = at;
        } else if (c == '}' && --depth == 0) {
            objects.push_back(json.substr(begin, at - begin + 1));
            if (!array) break;
        } else if (c == ']' && depth == 0) {
            break;
        }
    }
    return objects;
}

class RuntimesElsewhere : public LauncherCase, public ::testing::WithParamInterface<ElsewhereRow> {
protected:
    // A folder name that the ANSI code page holds beyond ASCII, so that the
    // import shows the fix's encoding; plain where the code page has no such letter.
    std::wstring Folder(const wchar_t* folder) const
    {
        const std::wstring accented = std::wstring(folder) + L"-\u00e7\u00e3o";
        return Under(FromAnsi(Ansi(accented)) == accented ? accented : folder);
    }

    std::vector<std::unique_ptr<TestRegistryKey>> keys_;
};

TEST_P(RuntimesElsewhere, CheckListsThemAndItsFixMakesTheLauncherStartJavaEight)
{
    const ElsewhereRow& row = GetParam();
    if (!HasTwoRegistryViews()) GTEST_SKIP() << "the fix is imported on 64-bit Windows";
    for (int i = 0; i < row.count; ++i) {
        const Registered& registered = row.registrations[i];
        keys_.push_back(std::make_unique<TestRegistryKey>(registered.key, registered.view));
        if (!registered.value) continue;
        const std::wstring folder = Folder(registered.folder);
        PlaceStandIn(folder + L"\\bin\\Javaw.exe");
        ASSERT_TRUE(keys_.back()->SetString(registered.value,
                                            folder + (registered.trailingSeparator ? L"\\" : L"")));
    }
    // What the user sees before the fix: "Erro 2" (the box itself is the other cases' concern).
    const LauncherOutcome before = Run(StartIn(App()));
    ASSERT_EQ(1u, before.boxes.size());
    EXPECT_EQ(ToUtf8(FailureText(ERROR_FILE_NOT_FOUND)), ToUtf8(before.boxes[0].text));
    EXPECT_FALSE(Record().present);

    const std::wstring fixFile = Under(L"fix.reg");
    LauncherStart check;
    check.executable = BuiltCheck();
    check.commandLine = L"\"" + check.executable + L"\" --json --reg-fix \"" + fixFile + L"\"";
    check.currentDirectory = App();
    check.outputPath = Under(L"check.json");
    const LauncherOutcome checked = Run(check);
    const std::string json = ReadFileBytes(check.outputPath);
    EXPECT_EQ(1u, checked.exitCode) << json;
    EXPECT_EQ(L"refuse", JsonValue(json, "verdict"));
    EXPECT_EQ(L"2", JsonValue(json, "code"));

    // Every registration with a value is listed, in its view, with the
    // folder that holds bin\Javaw.exe, and usable only when Java 8.
    const std::vector<std::string> listed = JsonObjects(json, "runtimesElsewhere");
    int expected = 0;
    for (int i = 0; i < row.count; ++i) {
        const Registered& registered = row.registrations[i];
        if (!registered.value) continue;
        ++expected;
        const std::string view = registered.view == KEY_WOW64_64KEY ? "64-bit" : "32-bit";
        int matches = 0;
        for (const std::string& object : listed) {
            if (_wcsicmp(JsonValue(object, "registryKey").c_str(), registered.key) != 0 ||
                ToUtf8(JsonValue(object, "view")) != view)
                continue;
            ++matches;
            EXPECT_EQ(ToUtf8(Folder(registered.folder)), ToUtf8(JsonValue(object, "path")));
            EXPECT_EQ(registered.listedUsable ? L"true" : L"false", JsonValue(object, "usable"))
                << object;
        }
        EXPECT_EQ(1, matches) << ToUtf8(registered.key) << " in the " << view << " view: " << json;
    }
    EXPECT_EQ(static_cast<std::size_t>(expected), listed.size()) << json;

    const std::vector<std::string> fix = JsonObjects(json, "regFix");
    ASSERT_EQ(1u, fix.size()) << json;
    const std::string fileBytes = ReadFileBytes(fixFile);
    if (row.chosen < 0) {
        EXPECT_EQ(L"false", JsonValue(fix[0], "written")) << json;
        EXPECT_TRUE(fileBytes.empty()) << "a fix was written though no Java 8 runs here";
        return;
    }
    EXPECT_EQ(L"true", JsonValue(fix[0], "written")) << json;
    // regedit's own form: UTF-16LE after a byte order mark.
    ASSERT_GE(fileBytes.size(), 2u);
    EXPECT_EQ("\xFF\xFE", fileBytes.substr(0, 2));

    // Imported as the guide says, with the 64-bit regedit, into the view the launcher reads first.
    ImportedRegistryKey landed(kJavaRuntimeKey, KEY_WOW64_64KEY);
    ImportedRegistryKey strayed(kJavaRuntimeKey, KEY_WOW64_32KEY);
    LauncherStart import;
    import.executable = WindowsPath(WINE64_PROGRAMS_WINPATH) + L"\\regedit.exe";
    import.commandLine = L"regedit.exe /s \"" + fixFile + L"\"";
    import.currentDirectory = root_.Path();
    const LauncherOutcome importing = RunLauncher(import);
    ASSERT_TRUE(importing.started) << "error " << importing.startError;
    ASSERT_EQ(0u, importing.exitCode);
    EXPECT_TRUE(landed.IsThere());

    const LauncherOutcome outcome = Run(StartIn(App()));

    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_TRUE(outcome.boxes.empty());
    const ChildRecord child = Record();
    ASSERT_TRUE(child.present);
    const std::wstring runtime = Folder(row.registrations[row.chosen].folder);
    EXPECT_EQ(ToUtf8(L"\"" + runtime + L"\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar \"" + App() +
                     L"\\korve2020.jar\" --start"),
              ToUtf8(child.commandLine));
}

const wchar_t kOpenJdkMsiKey[] = L"SOFTWARE\\Eclipse Adoptium\\JRE\\8.0.412.8\\hotspot\\MSI";
const wchar_t kJdkEightKey[] = L"SOFTWARE\\JavaSoft\\Java Development Kit\\1.8";
const wchar_t kJavaElevenKey[] = L"SOFTWARE\\JavaSoft\\JRE\\11";

const ElsewhereRow kElsewhere[] = {
    {"OpenJdkMsiDefaultBesideJdkEightAndJavaEleven",
     {{kOpenJdkMsiKey, KEY_WOW64_64KEY, L"Path", L"jre-8.0.412.8-hotspot", true, true},
      {kJdkEightKey, KEY_WOW64_32KEY, L"JavaHome", L"jdk1.8.0_401", false, true},
      {kJavaElevenKey, KEY_WOW64_64KEY, L"JavaHome", L"jdk-11", false, false}},
     3,
     0},
    {"SixtyFourBitKeyHidesTheThirtyTwoBitRuntime",
     {{kJavaRuntimeKey, KEY_WOW64_64KEY, nullptr, nullptr, false, false},
      {kJavaRuntimeKey, KEY_WOW64_32KEY, L"JavaHome", L"jre1.8.0_401", false, true}},
     2,
     1},
    {"OnlyJavaEleven",
     {{kJavaElevenKey, KEY_WOW64_64KEY, L"JavaHome", L"jdk-11", false, false}},
     1,
     -1},
};

INSTANTIATE_TEST_SUITE_P(, RuntimesElsewhere, ::testing::ValuesIn(kElsewhere),
                         [](const auto& info) { return std::string(info.param.scenario); });
}  // namespace
