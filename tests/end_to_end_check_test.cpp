// The setup check against the real launcher under Wine: in each situation the
// check's report, made first, is what the launcher then does, and the check
// leaves the folder and the registry as they were.
#include <gtest/gtest.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/drive_mapping.h"
#include "tests/support/json_reader.h"
#include "tests/support/launcher_case.h"
#include "tests/support/registry_fixture.h"

#if !defined(WINE64_PROGRAMS_WINPATH)
#error "the check's cases and the fix's import need WINE64_PROGRAMS_WINPATH"
#endif
#if !defined(CHECK_REPORTS_WINPATH)
#error "the check's JSON reports are kept for the schema's validation in CHECK_REPORTS_WINPATH"
#endif

namespace {
const wchar_t kInstalledJava[] = L"D:\\Java8\\bin\\javaw.exe";
const int kNoCode = -1;
// Headers and section table intact, the sections' data gone.
const std::size_t kCutShortBytes = 4096;

std::wstring BuiltCheck() { return WindowsPath(CHECK_EXE_WINPATH); }

// Keeps a JSON report the check printed, for the schema's validation after the
// suite: one file for each report, named after the case.
void KeepReport(const std::string& json)
{
    static int count = 0;
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name() + "." +
                       std::to_string(++count) + ".json";
    for (char& unit : name)
        if (unit == '/' || unit == '\\') unit = '_';
    const std::wstring folder = WindowsPath(CHECK_REPORTS_WINPATH);
    ASSERT_TRUE(CreateFolders(folder));
    ASSERT_TRUE(WriteFileBytes(folder + L"\\" + FromUtf8(name), json));
}

// The kinds of the report's warnings, in their order, joined by commas.
std::string WarningKinds(const JsonNode& report)
{
    std::string kinds;
    const JsonNode* warnings = FindMember(report, L"warnings");
    if (!warnings) return "<missing>";
    for (const JsonNode& warning : warnings->items) {
        const JsonNode* kind = FindMember(warning, L"kind");
        kinds += (kinds.empty() ? "" : ",") + (kind ? ToUtf8(kind->text) : "?");
    }
    return kinds;
}

// Returns the value of `key` in the check's JSON object (a member's member
// when "outer.inner", else at its top level or the first below): a string's
// text unescaped, any other value as written; "<missing>" when it is not there.
std::wstring JsonValue(const JsonNode& report, const std::string& key)
{
    const std::size_t dot = key.find('.');
    const JsonNode* node = FindMember(report, FromUtf8(key.substr(0, dot)));
    if (node && dot != std::string::npos) {
        const JsonNode* outer = node;
        node = nullptr;
        for (const auto& member : outer->members)
            if (member.first == FromUtf8(key.substr(dot + 1))) node = &member.second;
    }
    if (!node) return L"<missing>";
    return node->kind == JsonNode::Kind::Null ? L"null" : node->text;
}

// The lines of the text report.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
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

// The program placed for a row: the stand-in as it is, damaged, or another kind of file.
enum class Runtime {
    StandIn,
    CutShort,
    MarkedAsDll,
    BatchFile,
    // The value is a name without a folder, the stand-in beside the launcher under that name.
    BesideTheLauncher,
    // The value is a name without a folder, the stand-in in the working directory under that name.
    InTheWorkingDirectory,
    // The value ends in a name without an extension, the stand-in there with ".exe" added.
    WithoutExtension,
    SixtyFourBit,
};

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
    // What is placed where the value points, when `placeRuntime`.
    Runtime runtime = Runtime::StandIn;
    // The value's text is `text` this many times over.
    std::size_t repeat = 1;
    // The working folder, below the application folder; the application folder itself when null.
    const wchar_t* folder = nullptr;
    // Started with NoDefaultCurrentDirectoryInExePath set, as hardened machines are.
    bool hardened = false;
    // Whether the check's --detect answer is asked for too.
    bool detect = false;
    // The archive in the working folder, and the local runtime's `release` file's JAVA_VERSION.
    bool placeArchive = false;
    const char* javaVersion = nullptr;
    // The kinds of warnings the report gives, when given.
    const char* warnings = nullptr;
};

void PrintTo(const CheckRow& row, std::ostream* out) { *out << row.scenario; }

// An environment variable of this process, set for a scope when asked and removed after.
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, bool set) : name_(name), set_(set)
    {
        if (set_) ::SetEnvironmentVariableW(name_, L"1");
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;
    ~ScopedVariable()
    {
        if (set_) ::SetEnvironmentVariableW(name_, nullptr);
    }

private:
    const wchar_t* name_;
    bool set_;
};

// One of Wine's own 64-bit programs (Debian's wine64 package).
std::wstring Wine64Program(const std::wstring& name)
{
    return WindowsPath(WINE64_PROGRAMS_WINPATH) + L"\\" + name;
}

// Places at `path` the program the row asks for.
void PlaceRuntime(Runtime runtime, const std::wstring& path)
{
    const std::wstring folder = path.substr(0, path.rfind(L'\\'));
    ASSERT_TRUE(CreateFolders(folder));
    std::string image = ReadFileBytes(BuiltStandIn());
    ASSERT_GT(image.size(), kCutShortBytes);
    switch (runtime) {
        case Runtime::StandIn:
        case Runtime::BesideTheLauncher:
        case Runtime::InTheWorkingDirectory:
        case Runtime::WithoutExtension:
            break;
        case Runtime::CutShort:
            image.resize(kCutShortBytes);
            break;
        case Runtime::MarkedAsDll: {
            // IMAGE_FILE_HEADER.Characteristics, 22 bytes after "PE\0\0".
            const std::size_t pe = *reinterpret_cast<const DWORD*>(image.data() + 0x3C);
            image[pe + 23] = static_cast<char>(image[pe + 23] | (IMAGE_FILE_DLL >> 8));
            break;
        }
        case Runtime::BatchFile:
            // It hands its arguments on to the stand-in, which records them.
            image = "@\"" + Ansi(BuiltStandIn()) + "\" %*\r\n";
            break;
        case Runtime::SixtyFourBit:
            ASSERT_TRUE(CopyInto(Wine64Program(L"hostname.exe"), path));
            return;
    }
    ASSERT_TRUE(WriteFileBytes(path, image));
}

class CheckPrediction : public LauncherCase, public ::testing::WithParamInterface<CheckRow> {
protected:
    // The check goes beside the launcher, as the guide asks for a setup with a
    // program named without a folder.
    CheckPrediction() : check_(Under(L"KorveNembralCheck.exe"))
    {
        EXPECT_TRUE(CopyInto(BuiltCheck(), check_));
    }

    std::wstring WorkingFolder(const CheckRow& row) const
    {
        return row.folder ? App() + L"\\" + row.folder : App();
    }

    // Lays out the row's folder, drive and registry value.
    void Arrange(const CheckRow& row)
    {
        if (row.folder) {
            ASSERT_TRUE(CreateFolders(WorkingFolder(row)));
        }
        if (row.localRuntime) PlaceLocalRuntime(App());
        if (row.placeArchive) {
            ASSERT_TRUE(WriteFileBytes(App() + L"\\korve2020.jar", "PK\x03\x04"));
        }
        if (row.javaVersion) {
            ASSERT_TRUE(WriteFileBytes(App() + L"\\Java\\release",
                                       "IMPLEMENTOR=\"Test\"\nJAVA_VERSION=\"" +
                                           std::string(row.javaVersion) + "\"\nOS_ARCH=\"x86\"\n"));
        }
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
        std::wstring text;
        for (std::size_t i = 0; i < row.repeat; ++i) text += row.text;
        const bool onDriveD = text.rfind(L"D:", 0) == 0;
        const bool bare = row.runtime == Runtime::BesideTheLauncher ||
                          row.runtime == Runtime::InTheWorkingDirectory;
        value_ = onDriveD || bare ? text : Under(text);
        ASSERT_TRUE(key_->SetString(row.value, value_, row.type));
        if (!row.placeRuntime) return;
        if (row.runtime == Runtime::BesideTheLauncher) {
            PlaceRuntime(row.runtime, Under(text + L".exe"));
        } else if (row.runtime == Runtime::InTheWorkingDirectory) {
            PlaceRuntime(row.runtime,
                         std::wstring(kFixedWorkingDirectory) + L"\\" + text + L".exe");
        } else if (row.runtime == Runtime::WithoutExtension) {
            std::wstring file = value_ + L".exe";
            for (wchar_t& unit : file)
                if (unit == L'/') unit = L'\\';
            PlaceRuntime(row.runtime, file);
        } else {
            PlaceRuntime(row.runtime, onDriveD ? value_ : value_ + L"\\bin\\Javaw.exe");
        }
    }

    // Runs the check (with `option`) in the application folder; returns its
    // exit status and fills `report` with what it printed.
    DWORD RunCheck(const std::wstring& option, const CheckRow& row, std::string& report)
    {
        LauncherStart start;
        start.executable = check_;
        // The check's options after the launcher's arguments.
        start.commandLine = L"\"" + start.executable + L"\"" + row.arguments + option;
        start.currentDirectory = WorkingFolder(row);
        start.outputPath = output_ / (option.empty() ? L"check.txt" : L"check" + option.substr(3));
        const LauncherOutcome outcome = Run(start);
        EXPECT_TRUE(outcome.boxes.empty());
        report = ReadFileBytes(start.outputPath);
        if (option == L" --json") KeepReport(report);
        return outcome.exitCode;
    }

    // The text report tells the JSON's verdict on exactly one line, each value
    // on its own line, and nothing a console would take for a control.
    void ExpectTextReportLike(const JsonNode& json, const std::string& text)
    {
        // Redirected, the text report is UTF-8, and names the folder as written;
        // a backslash before what reads as an escape ("\x0a") is doubled.
        std::string folder = ToUtf8(JsonValue(json, "workingFolder"));
        const std::size_t escape = folder.rfind("\\x0a");
        if (escape != std::string::npos && escape + 4 == folder.size()) folder.insert(escape, "\\");
        EXPECT_NE(std::string::npos, text.find("\nWorking folder:          " + folder + "\n"))
            << text.substr(0, 4096);
        for (const char unit : text)
            EXPECT_FALSE(static_cast<unsigned char>(unit) < 0x20 && unit != '\n')
                << "a raw control character " << static_cast<int>(unit) << " in the text report";
        int verdicts = 0;
        bool commandLine = false;
        for (const std::string& line : Lines(text)) {
            if (line.rfind("Verdict:", 0) == 0) {
                ++verdicts;
                const std::string verdict = ToUtf8(JsonValue(json, "verdict"));
                const std::string word = line.substr(line.find_first_not_of(' ', 8));
                EXPECT_EQ(0u, word.rfind(verdict == "abnormal" ? "\"Abnormal program termination\""
                                                               : verdict,
                                         0))
                    << line;
            }
            if (line.rfind("Command line:", 0) == 0) {
                commandLine = true;
                const bool none = line.find("(none: nothing is started)") != std::string::npos;
                EXPECT_EQ(JsonValue(json, "commandLine") == L"null", none) << line;
            }
        }
        EXPECT_EQ(1, verdicts) << text.substr(0, 4096);
        EXPECT_EQ(JsonValue(json, "verdict") != L"abnormal", commandLine);
    }

    std::string Snapshot() { return FolderListing(root_.Path()) + RegistryListing(); }

    std::wstring check_;
    std::wstring value_;
    TempFolder output_;
    std::unique_ptr<MappedDrive> drive_;
    std::unique_ptr<TestRegistryKey> key_;
};

TEST_P(CheckPrediction, ReportsWhatTheLauncherThenDoes)
{
    const CheckRow& row = GetParam();
    if (row.needsTwoViews && !HasTwoRegistryViews())
        GTEST_SKIP() << "this prefix has one registry view";
    if ((row.runtime == Runtime::SixtyFourBit) == HasTwoRegistryViews())
        GTEST_SKIP() << "a case for " << (HasTwoRegistryViews() ? "32" : "64") << "-bit Windows";
    // Set for the check, the launcher, and the platform's own refusal below.
    const ScopedVariable hardening(L"NoDefaultCurrentDirectoryInExePath", row.hardened);
    Arrange(row);
    const std::string before = Snapshot();

    std::string output;
    const DWORD status = RunCheck(L" --json", row, output);
    std::string text;
    EXPECT_EQ(status, RunCheck(L"", row, text));

    EXPECT_EQ(before, Snapshot()) << "the check changed the folder or the registry";
    JsonNode json;
    std::string error;
    ASSERT_TRUE(ReadJson(output, json, error)) << error << "\n" << output.substr(0, 4096);
    const std::string shown = output.substr(0, 4096);
    EXPECT_EQ(row.verdict, ToUtf8(JsonValue(json, "verdict"))) << shown;
    EXPECT_EQ(row.mode, ToUtf8(JsonValue(json, "mode"))) << shown;
    const std::wstring code = JsonValue(json, "code");
    EXPECT_EQ(row.code == kNoCode ? L"null" : std::to_wstring(row.code), code) << shown;
    const std::string verdict = row.verdict;
    EXPECT_EQ(verdict == "start" ? 0u : verdict == "refuse" ? 1u : 3u, status);
    if (row.factKey) {
        EXPECT_EQ(ToUtf8(row.factValue), ToUtf8(JsonValue(json, row.factKey))) << shown;
    }
    // Every name as written, letter for letter: the folder and the value read.
    EXPECT_EQ(ToUtf8(WorkingFolder(row)), ToUtf8(JsonValue(json, "workingFolder"))) << shown;
    if (row.value && row.type == REG_SZ) {
        const std::string read = std::string(row.key == kProductKey ? "executavel" : "javaHome") +
                                 (row.view == KEY_WOW64_64KEY ? "64" : "32") + ".text";
        EXPECT_EQ(ToUtf8(value_), ToUtf8(JsonValue(json, read))) << shown;
    }
    if (row.warnings) {
        EXPECT_EQ(row.warnings, WarningKinds(json)) << shown;
    }
    ExpectTextReportLike(json, text);
    const std::wstring commandLine = JsonValue(json, "commandLine");
    const std::wstring directory = JsonValue(json, "workingDirectory");
    if (row.detect) {
        // An application detection: a line when it starts, none when not; 0 either way.
        std::string line;
        EXPECT_EQ(0u, RunCheck(L" --detect", row, line));
        EXPECT_EQ(verdict == "start" ? "start: " + Ansi(commandLine) + "\n" : "", line);
    }

    const LauncherOutcome outcome = Run(StartIn(WorkingFolder(row), row.arguments));

    const ChildRecord child = Record();
    if (verdict == "start") {
        EXPECT_EQ(0u, outcome.exitCode);
        EXPECT_TRUE(outcome.boxes.empty());
        ASSERT_TRUE(child.present);
        EXPECT_EQ(ToUtf8(child.currentDirectory), ToUtf8(directory));
        if (row.runtime != Runtime::BatchFile) {
            EXPECT_EQ(ToUtf8(child.commandLine), ToUtf8(commandLine));
        } else {
            // The batch file hands the arguments it was given on to the stand-in.
            const std::wstring arguments = commandLine.substr(commandLine.find(L"\" ") + 1);
            ASSERT_GE(child.commandLine.size(), arguments.size());
            EXPECT_EQ(ToUtf8(arguments), ToUtf8(child.commandLine.substr(child.commandLine.size() -
                                                                         arguments.size())));
        }
    } else if (verdict == "refuse") {
        EXPECT_EQ(0u, outcome.exitCode);
        EXPECT_FALSE(child.present);
        // Where the check cannot know the code, it is the platform's refusal
        // of the very plan the check reported.
        // An empty plan is reported as no command line, and handed on as "".
        const auto given = [](const std::wstring& value) {
            return value == L"null" ? std::string() : Ansi(value);
        };
        ExpectFailureReport(outcome, code == L"null"
                                         ? RefusalCode(given(commandLine), given(directory))
                                         : static_cast<DWORD>(std::stoul(code)));
    } else {
        EXPECT_EQ(3u, outcome.exitCode);
        EXPECT_FALSE(child.present);
        ExpectAbnormalTermination(outcome, L"KorveNembral.exe");
        EXPECT_EQ(L"null", commandLine);
        EXPECT_EQ(ToUtf8(row.value), ToUtf8(JsonValue(json, "abnormalValue")));
        EXPECT_EQ(row.type == REG_DWORD ? L"REG_DWORD" : L"REG_MULTI_SZ",
                  JsonValue(json, "abnormalType"));
        EXPECT_EQ(row.view == KEY_WOW64_64KEY ? L"64-bit" : L"32-bit",
                  JsonValue(json, "abnormalView"));
    }
}

const CheckRow kChecks[] = {
    {"JavaFolder",
     L"",
     true,
     nullptr,
     0,
     nullptr,
     0,
     nullptr,
     false,
     false,
     "local-runtime",
     "start",
     kNoCode,
     false,
     "kind",
     L"folder",
     Runtime::StandIn,
     1,
     nullptr,
     false,
     true,
     true,
     "1.8.0_401",
     "heap-on-32-bit"},
    {"JavaSeventeenFolderWithoutArchive",
     L"",
     true,
     nullptr,
     0,
     nullptr,
     0,
     nullptr,
     false,
     false,
     "local-runtime",
     "start",
     kNoCode,
     false,
     nullptr,
     nullptr,
     Runtime::StandIn,
     1,
     nullptr,
     false,
     false,
     false,
     "17.0.2",
     "archive-missing,not-java-8,heap-on-32-bit"},
    {"JavaHomeInTheSixtyFourBitView", L"", false, kJavaRuntimeKey, KEY_WOW64_64KEY, kJavaHomeValue,
     REG_SZ, L"jre64", true, false, "installed-runtime", "start", kNoCode, false},
    {"JavaHomeOnlyInTheThirtyTwoBitView", L"", false, kJavaRuntimeKey, KEY_WOW64_32KEY,
     kJavaHomeValue, REG_SZ, L"jre32", true, false, "installed-runtime", "start", kNoCode, true},
    {"JavaHomeNamingNoRuntime", L"", false, kJavaRuntimeKey, KEY_WOW64_64KEY, kJavaHomeValue,
     REG_SZ, L"missing", false, false, "installed-runtime", "refuse", kNoCode, false},
    {"JavaHomeOutsideTheCodePage", L"", false, kJavaRuntimeKey, KEY_WOW64_64KEY, kJavaHomeValue,
     REG_SZ, L"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1 jre", true, false, "installed-runtime", "start",
     kNoCode, false},
    {"JavaHomeInQuotes", L"", false, kJavaRuntimeKey, KEY_WOW64_64KEY, kJavaHomeValue, REG_SZ,
     L"\"jre\"", false, false, "installed-runtime", "refuse", ERROR_INVALID_NAME, false},
    {"JavaHomeWithoutShortName", L"", false, kJavaRuntimeKey, KEY_WOW64_64KEY, kJavaHomeValue,
     REG_SZ, L"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1\\jre", false, false, "installed-runtime",
     "refuse", ERROR_NO_UNICODE_TRANSLATION, false},
    {"NoRuntimeConfigured",
     L"",
     false,
     nullptr,
     0,
     nullptr,
     0,
     nullptr,
     false,
     false,
     "installed-runtime",
     "refuse",
     2,
     false,
     "kind",
     L"absent",
     Runtime::StandIn,
     1,
     nullptr,
     false,
     true},
    {"SixtyFourBitKeyWithoutJavaHome", L"", false, kJavaRuntimeKey, KEY_WOW64_64KEY, nullptr, 0,
     nullptr, false, false, "installed-runtime", "refuse", 2, false},
    {"JavaHomeOfTheWrongTypeInTheThirtyTwoBitView", L"", false, kJavaRuntimeKey, KEY_WOW64_32KEY,
     kJavaHomeValue, REG_MULTI_SZ, L"jre", false, false, "installed-runtime", "abnormal", kNoCode,
     true},
    {"FixedInstallation", L" OLM", false, kProductKey, KEY_WOW64_64KEY, kExecutableValue, REG_SZ,
     kInstalledJava, true, true, "fixed-installation", "start", kNoCode, false},
    // The plan's mode, though no key of the mode opens.
    {"FixedInstallationWithoutProductKey", L" OLM", false, nullptr, 0, nullptr, 0, nullptr, false,
     true, "fixed-installation", "refuse", 2, false},
    {"FixedInstallationWithoutExecutavel", L" olm", false, kProductKey, KEY_WOW64_64KEY, nullptr, 0,
     nullptr, false, true, "fixed-installation", "refuse", 2, false},
    {"ExecutavelOnlyInTheThirtyTwoBitView", L" OLM", false, kProductKey, KEY_WOW64_32KEY,
     kExecutableValue, REG_SZ, kInstalledJava, true, true, "fixed-installation", "refuse", 2, true,
     "executavelOnlyInUnreadView", L"true"},
    {"ExecutavelOfTheWrongType",
     L" OLM",
     false,
     kProductKey,
     KEY_WOW64_64KEY,
     kExecutableValue,
     REG_DWORD,
     nullptr,
     false,
     true,
     "fixed-installation",
     "abnormal",
     kNoCode,
     false,
     nullptr,
     nullptr,
     Runtime::StandIn,
     1,
     nullptr,
     false,
     true},
    {"OtherFirstArgument", L" OLMX", true, nullptr, 0, nullptr, 0, nullptr, false, false,
     "empty-plan", "refuse", kNoCode, false, "commandLine", L"null"},
    {"RuntimeCutShort", L"", false, kJavaRuntimeKey, KEY_WOW64_64KEY, kJavaHomeValue, REG_SZ,
     L"jre-cut", true, false, "installed-runtime", "refuse", kNoCode, false, "program.state",
     L"not-a-program", Runtime::CutShort},
    {"RuntimeMarkedAsDll", L"", false, kJavaRuntimeKey, KEY_WOW64_64KEY, kJavaHomeValue, REG_SZ,
     L"jre-dll", true, false, "installed-runtime", "refuse", kNoCode, false, "program.state",
     L"not-a-program", Runtime::MarkedAsDll},
    {"ProgramBesideTheLauncher", L" OLM", false, kProductKey, KEY_WOW64_64KEY, kExecutableValue,
     REG_SZ, L"kvstandin", true, true, "fixed-installation", "start", kNoCode, false,
     "program.foundIn", L"the launcher's folder", Runtime::BesideTheLauncher},
    {"BatchFile", L" OLM", false, kProductKey, KEY_WOW64_64KEY, kExecutableValue, REG_SZ,
     L"D:\\Java8\\run.bat", true, true, "fixed-installation", "start", kNoCode, false,
     "program.state", L"batch-file", Runtime::BatchFile},
    {"MegabyteJavaHome", L"", false, kJavaRuntimeKey, KEY_WOW64_64KEY, kJavaHomeValue, REG_SZ, L"x",
     false, false, "installed-runtime", "refuse", kNoCode, false, nullptr, nullptr,
     Runtime::StandIn, 512 * 1024},
    {"JavaHomeWithControlCharacters", L"", false, kJavaRuntimeKey, KEY_WOW64_64KEY, kJavaHomeValue,
     REG_SZ, L"jre\t\r\nVerdict:                 start\x1b[8m", false, false, "installed-runtime",
     "refuse", ERROR_INVALID_NAME, false},
    // Named beyond the code page, and beyond the BMP: both reports name them
    // as written, the plan by their short names.
    {"NamesBeyondTheCodePage", L"", false, kJavaRuntimeKey, KEY_WOW64_64KEY, kJavaHomeValue, REG_SZ,
     L"jre \u0166win \u0416", true, false, "installed-runtime", "start", kNoCode, false, nullptr,
     nullptr, Runtime::StandIn, 1, L"\u0166win \u0416 \ud55c \U0001F600\\x0a"},
    {"BareNameInTheWorkingDirectory", L" OLM", false, kProductKey, KEY_WOW64_64KEY,
     kExecutableValue, REG_SZ, L"kvwdonly", true, true, "fixed-installation", "start", kNoCode,
     false, "program.foundIn", L"the working directory", Runtime::InTheWorkingDirectory},
    {"BareNameInTheWorkingDirectoryHardened",
     L" OLM",
     false,
     kProductKey,
     KEY_WOW64_64KEY,
     kExecutableValue,
     REG_SZ,
     L"kvwdonly",
     true,
     true,
     "fixed-installation",
     "refuse",
     kNoCode,
     false,
     "program.path",
     L"null",
     Runtime::InTheWorkingDirectory,
     1,
     nullptr,
     true},
    {"ExecutavelWithForwardSlashes", L" OLM", false, kProductKey, KEY_WOW64_64KEY, kExecutableValue,
     REG_SZ, L"D:\\Java8\\olm.d/bin/javaw", true, true, "fixed-installation", "start", kNoCode,
     false, "program.state", L"runs", Runtime::WithoutExtension},
    {"SixtyFourBitRuntimeOnThirtyTwoBitWindows", L"", false, kJavaRuntimeKey, KEY_WOW64_64KEY,
     kJavaHomeValue, REG_SZ, L"jre64", true, false, "installed-runtime", "refuse", kNoCode, false,
     "program.state", L"other-machine", Runtime::SixtyFourBit},
};

INSTANTIATE_TEST_SUITE_P(, CheckPrediction, ::testing::ValuesIn(kChecks),
                         [](const auto& info) { return std::string(info.param.scenario); });

TEST_F(LauncherCase, CheckTakesAnOptionItDoesNotKnowForAUsageErrorAndAllAfterDashDashAsArguments)
{
    // The check's words, and the status it ends with: a misspelt option is never
    // taken for the launcher's argument; after "--" every word is the launcher's.
    const struct {
        const wchar_t* arguments;
        DWORD status;
        const wchar_t* firstArgument;
    } cases[] = {
        {L" --jsno OLM", 2, nullptr},
        {L" OLM --jsno", 2, nullptr},
        {L" --json -- --x", 1, L"--x"},
    };
    int index = 0;
    for (const auto& words : cases) {
        LauncherStart start;
        start.executable = BuiltCheck();
        start.commandLine = L"\"" + start.executable + L"\"" + words.arguments;
        start.currentDirectory = App();
        start.outputPath = Under(L"usage" + std::to_wstring(++index) + L".txt");

        EXPECT_EQ(words.status, Run(start).exitCode) << ToUtf8(words.arguments);
        if (!words.firstArgument) continue;
        const std::string output = ReadFileBytes(start.outputPath);
        KeepReport(output);
        JsonNode json;
        std::string error;
        ASSERT_TRUE(ReadJson(output, json, error)) << error << ": " << output;
        EXPECT_EQ(ToUtf8(words.firstArgument), ToUtf8(JsonValue(json, "firstArgument")));
    }
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
    // The launcher's own value, written with quotes around the folder: read by
    // the launcher, so never listed.
    bool quoted = false;
    // bin\Javaw.exe a 64-bit program (one of Wine's own), not the 32-bit stand-in.
    bool sixtyFourBit = false;
};

struct ElsewhereRow {
    const char* scenario;
    Registered registrations[3];
    int count;
    // The registration whose folder the fix names; -1 for no fix.
    int chosen;
    // The code the launcher refuses with before any fix.
    DWORD refusal = ERROR_FILE_NOT_FOUND;
    // The fix's file, below the case's root; a folder not there makes it unwritable.
    const wchar_t* fixFile = L"fix.reg";
    // The check's exit status: 1 for a refusal, 4 for a fix that was due and not written.
    DWORD status = 1;
};

void PrintTo(const ElsewhereRow& row, std::ostream* out) { *out << row.scenario; }

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
        if (registered.sixtyFourBit) {
            ASSERT_TRUE(CreateFolders(folder + L"\\bin"));
            ASSERT_TRUE(CopyInto(Wine64Program(L"hostname.exe"), folder + L"\\bin\\Javaw.exe"));
        } else {
            PlaceStandIn(folder + L"\\bin\\Javaw.exe");
        }
        const std::wstring text = folder + (registered.trailingSeparator ? L"\\" : L"");
        ASSERT_TRUE(keys_.back()->SetString(registered.value,
                                            registered.quoted ? L"\"" + text + L"\"" : text));
    }
    // What the user sees before the fix (the box itself is the other cases' concern).
    const LauncherOutcome before = Run(StartIn(App()));
    ASSERT_EQ(1u, before.boxes.size());
    EXPECT_EQ(ToUtf8(FailureText(row.refusal)), ToUtf8(before.boxes[0].text));
    EXPECT_FALSE(Record().present);

    const std::wstring fixFile = Under(row.fixFile);
    LauncherStart check;
    check.executable = BuiltCheck();
    check.commandLine = L"\"" + check.executable + L"\" --json --reg-fix \"" + fixFile + L"\"";
    check.currentDirectory = App();
    check.outputPath = Under(L"check.json");
    const LauncherOutcome checked = Run(check);
    const std::string shown = ReadFileBytes(check.outputPath);
    KeepReport(shown);
    JsonNode json;
    std::string error;
    ASSERT_TRUE(ReadJson(shown, json, error)) << error << ": " << shown;
    EXPECT_EQ(row.status, checked.exitCode) << shown;
    EXPECT_EQ(L"refuse", JsonValue(json, "verdict"));
    EXPECT_EQ(std::to_wstring(row.refusal), JsonValue(json, "code"));

    // Every registration with a value is listed, in its view, with the
    // folder that holds bin\Javaw.exe, and usable only when Java 8.
    const JsonNode* elsewhere = FindMember(json, L"runtimesElsewhere");
    ASSERT_TRUE(elsewhere) << shown;
    const std::vector<JsonNode>& listed = elsewhere->items;
    int expected = 0;
    for (int i = 0; i < row.count; ++i) {
        const Registered& registered = row.registrations[i];
        if (!registered.value || registered.quoted) continue;
        ++expected;
        const std::string view = registered.view == KEY_WOW64_64KEY ? "64-bit" : "32-bit";
        int matches = 0;
        for (const JsonNode& object : listed) {
            if (_wcsicmp(JsonValue(object, "registryKey").c_str(), registered.key) != 0 ||
                ToUtf8(JsonValue(object, "view")) != view)
                continue;
            ++matches;
            EXPECT_EQ(ToUtf8(Folder(registered.folder)), ToUtf8(JsonValue(object, "path")));
            EXPECT_EQ(registered.listedUsable ? L"true" : L"false", JsonValue(object, "usable"))
                << shown;
        }
        EXPECT_EQ(1, matches) << ToUtf8(registered.key) << " in the " << view << " view: " << shown;
    }
    EXPECT_EQ(static_cast<std::size_t>(expected), listed.size()) << shown;

    const JsonNode* fix = FindMember(json, L"regFix");
    ASSERT_TRUE(fix) << shown;
    const std::string fileBytes = ReadFileBytes(fixFile);
    if (row.chosen < 0) {
        EXPECT_EQ(L"false", JsonValue(*fix, "written")) << shown;
        EXPECT_TRUE(fileBytes.empty()) << "a fix was written though no Java 8 runs here";
        return;
    }
    if (row.status == 4) {
        // A failure reported as one, with its reason, and no file.
        EXPECT_EQ(L"false", JsonValue(*fix, "written")) << shown;
        EXPECT_NE(L"<missing>", JsonValue(*fix, "reason")) << shown;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(fixFile.c_str()));
        return;
    }
    EXPECT_EQ(L"true", JsonValue(*fix, "written")) << shown;
    const Registered& chosen = row.registrations[row.chosen];
    EXPECT_EQ(ToUtf8(Folder(chosen.folder)), ToUtf8(JsonValue(*fix, "javaHome"))) << shown;
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
    // Wine's 64-bit program records nothing: that the fix names it is the case's point.
    if (chosen.sixtyFourBit) return;

    const LauncherOutcome outcome = Run(StartIn(App()));

    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_TRUE(outcome.boxes.empty()) << ToUtf8(outcome.boxes[0].text);
    const ChildRecord child = Record();
    ASSERT_TRUE(child.present);
    const std::wstring runtime = Folder(chosen.folder);
    EXPECT_EQ(ToUtf8(L"\"" + runtime + L"\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar \"" + App() +
                     L"\\korve2020.jar\" --start"),
              ToUtf8(child.commandLine));
}

const wchar_t kOpenJdkMsiKey[] = L"SOFTWARE\\Eclipse Adoptium\\JRE\\8.0.412.8\\hotspot\\MSI";
const wchar_t kJdkEightKey[] = L"SOFTWARE\\JavaSoft\\Java Development Kit\\1.8";
const wchar_t kJavaElevenKey[] = L"SOFTWARE\\JavaSoft\\JRE\\11";
const wchar_t kNewerOpenJdkMsiKey[] = L"SOFTWARE\\Eclipse Adoptium\\JRE\\8.0.422.5\\hotspot\\MSI";

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
    // A "JavaHome" the launcher refuses for its quotes is the administrator's to
    // correct: the fix never replaces it, though a usable runtime is listed.
    {"QuotedJavaHomeIsNotReplaced",
     {{kJavaRuntimeKey, KEY_WOW64_64KEY, L"JavaHome", L"jre1.8.0_391", false, false, true},
      {kOpenJdkMsiKey, KEY_WOW64_64KEY, L"Path", L"jre-8.0.412.8-hotspot", true, true}},
     2,
     -1,
     ERROR_INVALID_NAME},
    {"OnlyJavaEleven",
     {{kJavaElevenKey, KEY_WOW64_64KEY, L"JavaHome", L"jdk-11", false, false}},
     1,
     -1},
    // A 32-bit MSI of a newer update beside a 64-bit one: the 64-bit runtime
    // comes first, for the heap the application asks for.
    {"SixtyFourBitRuntimeBeforeANewerThirtyTwoBitOne",
     {{kNewerOpenJdkMsiKey, KEY_WOW64_32KEY, L"Path", L"jre-8.0.422.5-x86", true, true},
      {kOpenJdkMsiKey, KEY_WOW64_64KEY, L"Path", L"jre-8.0.412.8-x64", true, true, false, true}},
     2,
     1},
    {"FixIntoAFolderThatIsNotThere",
     {{kOpenJdkMsiKey, KEY_WOW64_64KEY, L"Path", L"jre-8.0.412.8-hotspot", true, true}},
     1,
     0,
     ERROR_FILE_NOT_FOUND,
     L"no-such-folder\\fix.reg",
     4},
};

INSTANTIATE_TEST_SUITE_P(, RuntimesElsewhere, ::testing::ValuesIn(kElsewhere),
                         [](const auto& info) { return std::string(info.param.scenario); });

// --- The fix file is only ever a new one -------------------------------------

// A name placed where the fix is to go, by another user: it names another file.
enum class PlacedName { HardLink, SymbolicLink };

struct FixNameRow {
    const char* scenario;
    PlacedName name;
};

void PrintTo(const FixNameRow& row, std::ostream* out) { *out << row.scenario; }

// Makes `link` a symbolic link of the host's file system to `target`: the
// kind Wine's files are, and one CreateFileW would follow without being told not to.
bool SymbolicLink(const std::wstring& target, const std::wstring& link)
{
    using UnixName = char*(CDECL*)(LPCWSTR);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return false;
    char* from = unixName(target.c_str());
    char* to = unixName(link.c_str());
    if (!from || !to) return false;
    std::wstring line = L"ln -s \"" + FromUtf8(from) + L"\" \"" + FromUtf8(to) + L"\"";
    ::HeapFree(::GetProcessHeap(), 0, from);
    ::HeapFree(::GetProcessHeap(), 0, to);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(L"Z:\\bin\\ln", &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        return false;
    // A host program's handle need not tell its end: the link itself does.
    for (int waited = 0; waited < 100; ++waited) {
        if (::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) break;
        ::Sleep(100);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return ::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class FixFileName : public LauncherCase, public ::testing::WithParamInterface<FixNameRow> {};

TEST_P(FixFileName, IsRefusedAndTheFileItNamesStaysAsItWas)
{
    // One usable Java 8 registered elsewhere and no "JavaHome": a fix is due.
    TestRegistryKey key(kOpenJdkMsiKey, KEY_WOW64_64KEY);
    const std::wstring runtime = Under(L"jre-8.0.412.8-hotspot");
    PlaceStandIn(runtime + L"\\bin\\Javaw.exe");
    ASSERT_TRUE(key.SetString(L"Path", runtime + L"\\"));
    const std::wstring other = Under(L"other.reg");
    const std::string kept = "another user's file\r\n";
    ASSERT_TRUE(WriteFileBytes(other, kept));
    const std::wstring fixFile = Under(L"fix.reg");
    if (GetParam().name == PlacedName::HardLink)
        ASSERT_TRUE(::CreateHardLinkW(fixFile.c_str(), other.c_str(), nullptr));
    else
        ASSERT_TRUE(SymbolicLink(other, fixFile));

    LauncherStart check;
    check.executable = BuiltCheck();
    check.commandLine = L"\"" + check.executable + L"\" --json --reg-fix \"" + fixFile + L"\"";
    check.currentDirectory = App();
    check.outputPath = Under(L"check.json");
    const LauncherOutcome checked = Run(check);
    const std::string shown = ReadFileBytes(check.outputPath);
    JsonNode json;
    std::string error;
    ASSERT_TRUE(ReadJson(shown, json, error)) << error << ": " << shown;

    EXPECT_EQ(4u, checked.exitCode) << shown;
    const JsonNode* fix = FindMember(json, L"regFix");
    ASSERT_TRUE(fix) << shown;
    EXPECT_EQ(L"false", JsonValue(*fix, "written")) << shown;
    EXPECT_NE(std::wstring::npos, JsonValue(*fix, "reason").find(L"the name exists")) << shown;
    EXPECT_EQ(kept, ReadFileBytes(other));
}

const FixNameRow kFixNames[] = {
    {"HardLink", PlacedName::HardLink},
    {"SymbolicLink", PlacedName::SymbolicLink},
};

INSTANTIATE_TEST_SUITE_P(, FixFileName, ::testing::ValuesIn(kFixNames),
                         [](const auto& info) { return std::string(info.param.scenario); });

// --- Shortcuts, made and read through the shell's own link object -----------

// Saves a shell link at `path` as Explorer does; returns whether it was saved.
bool MakeShortcut(const std::wstring& path, const std::wstring& target,
                  const std::wstring& arguments, const std::wstring& startIn)
{
    const HRESULT apartment = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    IPersistFile* file = nullptr;
    const bool saved =
        SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkW, reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->SetPath(target.c_str())) &&
        SUCCEEDED(link->SetArguments(arguments.c_str())) &&
        SUCCEEDED(link->SetWorkingDirectory(startIn.c_str())) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Save(path.c_str(), TRUE));
    if (file) file->Release();
    if (link) link->Release();
    if (SUCCEEDED(apartment)) ::CoUninitialize();
    return saved;
}

struct ShortcutRow {
    const char* scenario;
    // The target, below the case's root.
    const wchar_t* target;
    const wchar_t* arguments;
    // What the check is to report.
    const char* mode;
    const char* verdict;
    const char* targetIsLauncher;
    const char* warnings;
};

void PrintTo(const ShortcutRow& row, std::ostream* out) { *out << row.scenario; }

class Shortcut : public LauncherCase, public ::testing::WithParamInterface<ShortcutRow> {};

TEST_P(Shortcut, CheckJudgesTheStartTheShortcutMakes)
{
    const ShortcutRow& row = GetParam();
    // Its "Start in" holds a Java folder; the check is run from elsewhere, beside the launcher.
    PlaceLocalRuntime(App());
    ASSERT_TRUE(CopyInto(BuiltCheck(), Under(L"KorveNembralCheck.exe")));
    if (std::wstring(row.target) != L"KorveNembral.exe") {
        ASSERT_TRUE(CreateFolders(Under(L"other")));
        ASSERT_TRUE(CopyInto(BuiltLauncher(), Under(row.target)));
    }
    const std::wstring link = Under(L"Korve.lnk");
    ASSERT_TRUE(MakeShortcut(link, Under(row.target), row.arguments, App()));

    LauncherStart check;
    check.executable = Under(L"KorveNembralCheck.exe");
    check.commandLine = L"KorveNembralCheck.exe --json --shortcut \"" + link + L"\"";
    check.currentDirectory = root_.Path();
    check.outputPath = Under(L"check.json");
    const LauncherOutcome checked = Run(check);
    const std::string shown = ReadFileBytes(check.outputPath);
    KeepReport(shown);
    JsonNode json;
    std::string error;
    ASSERT_TRUE(ReadJson(shown, json, error)) << error << ": " << shown;
    EXPECT_EQ(std::string(row.verdict) == "start" ? 0u : 1u, checked.exitCode) << shown;
    EXPECT_EQ(row.mode, ToUtf8(JsonValue(json, "mode"))) << shown;
    EXPECT_EQ(row.verdict, ToUtf8(JsonValue(json, "verdict"))) << shown;
    EXPECT_EQ(ToUtf8(App()), ToUtf8(JsonValue(json, "workingFolder"))) << shown;
    EXPECT_EQ(row.targetIsLauncher, ToUtf8(JsonValue(json, "shortcut.targetIsLauncher"))) << shown;
    EXPECT_EQ(row.warnings, WarningKinds(json)) << shown;
    if (std::string(row.verdict) != "start") return;

    // The launcher started as the shortcut starts it does what the check said.
    const LauncherOutcome outcome = Run(StartIn(App(), L" " + std::wstring(row.arguments)));
    EXPECT_EQ(0u, outcome.exitCode);
    const ChildRecord child = Record();
    ASSERT_TRUE(child.present);
    EXPECT_EQ(ToUtf8(JsonValue(json, "commandLine")), ToUtf8(child.commandLine));
}

const ShortcutRow kShortcuts[] = {
    {"StartInHoldsAJavaFolder", L"KorveNembral.exe", L"", "local-runtime", "start", "true",
     "archive-missing,heap-on-32-bit"},
    {"OlmToALauncherElsewhere", L"other\\KorveNembral.exe", L"OLM", "fixed-installation", "refuse",
     "false", "shortcut-target"},
};

INSTANTIATE_TEST_SUITE_P(, Shortcut, ::testing::ValuesIn(kShortcuts),
                         [](const auto& info) { return std::string(info.param.scenario); });

// --- The guide's recipes, as Windows' command interpreter runs them ----------

class GuideRecipes : public LauncherCase {
protected:
    // Runs docs\recipes\`recipe` with `arguments` under cmd; returns its exit
    // status and fills `output` with what it wrote.
    DWORD RunRecipe(const wchar_t* recipe, const std::wstring& arguments, std::string& output)
    {
        wchar_t system[MAX_PATH] = {};
        EXPECT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
        LauncherStart start;
        start.executable = std::wstring(system) + L"\\cmd.exe";
        start.commandLine = L"cmd.exe /d /c \"\"" + WindowsPath(DOCS_DIR_WINPATH) + L"\\recipes\\" +
                            recipe + L"\" " + arguments + L"\"";
        start.currentDirectory = root_.Path();
        // A file of its own each time: the last run's processes may still hold theirs.
        start.outputPath = Under(L"recipe" + std::to_wstring(++runs_) + L".txt");
        const LauncherOutcome outcome = Run(start);
        output = ReadFileBytes(start.outputPath);
        return outcome.exitCode;
    }

    int runs_ = 0;
};

TEST_F(GuideRecipes, DetectRemediateAndReportAsTheGuideSays)
{
    if (!HasTwoRegistryViews()) GTEST_SKIP() << "the fix is imported on 64-bit Windows";
    // No runtime configured, a Java 8 registered where the launcher does not read.
    ASSERT_TRUE(CopyInto(BuiltCheck(), App() + L"\\KorveNembralCheck.exe"));
    TestRegistryKey registered(kOpenJdkMsiKey, KEY_WOW64_64KEY);
    const std::wstring runtime = Under(L"jre-8.0.412.8-hotspot");
    PlaceStandIn(runtime + L"\\bin\\Javaw.exe");
    ASSERT_TRUE(registered.SetString(L"Path", runtime + L"\\"));
    ImportedRegistryKey landed(kJavaRuntimeKey, KEY_WOW64_64KEY);
    const std::wstring app = L"\"" + App() + L"\"";
    std::string output;

    EXPECT_EQ(0u, RunRecipe(L"detect-application.cmd", app, output));
    EXPECT_EQ("", output) << "a detection that finds nothing writes nothing";
    EXPECT_EQ(1u, RunRecipe(L"remediation-detect.cmd", app, output)) << output;

    const std::wstring fixFolder = Under(L"administrators only");
    EXPECT_EQ(0u, RunRecipe(L"remediate.cmd", app + L" \"" + fixFolder + L"\"", output)) << output;
    EXPECT_TRUE(landed.IsThere());

    EXPECT_EQ(0u, RunRecipe(L"remediation-detect.cmd", app, output)) << output;
    EXPECT_EQ(0u, RunRecipe(L"detect-application.cmd", app, output));
    EXPECT_EQ("start: " +
                  Ansi(L"\"" + runtime + L"\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar \"" + App() +
                       L"\\korve2020.jar\" --start") +
                  "\n",
              output);

    // The inventory's report goes where the schema's validation reads them all.
    const std::wstring reports = Under(L"inventory");
    ASSERT_TRUE(CreateFolders(reports));
    EXPECT_EQ(0u, RunRecipe(L"startup-inventory.cmd", app + L" \"" + reports + L"\"", output))
        << output;
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    ASSERT_TRUE(::GetComputerNameW(computer, &length));
    const std::string report = ReadFileBytes(reports + L"\\" + computer + L".json");
    KeepReport(report);
    JsonNode json;
    std::string error;
    ASSERT_TRUE(ReadJson(report, json, error)) << error << ": " << report;
    EXPECT_EQ(L"start", JsonValue(json, "verdict"));
}
}  // namespace
