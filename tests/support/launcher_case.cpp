#include "tests/support/launcher_case.h"

#include <cstdlib>

const wchar_t kJavaRuntimeKey[] = L"Software\\JavaSoft\\Java Runtime Environment\\1.8";
const wchar_t kJavaHomeValue[] = L"JavaHome";
const wchar_t kProductKey[] = L"Software\\Orvantis\\KORVENembral2020_Prod\\Modulo1";
const wchar_t kExecutableValue[] = L"Executavel";
const wchar_t kFixedArchiveFolder[] = L"D:\\aplic\\zanu2016\\tarvessa\\Producao\\KORVE-Nembral";
const wchar_t kFixedWorkingDirectory[] = L"D:\\aplic\\TREMAL\\tarvessa\\Producao\\KORVE-Nembral";

const wchar_t LauncherCase::kProbe[] = L"inherited from the caller: 100% \"quoted\" \\ end";

#if defined(LAUNCHER_EXE_WINPATH) && defined(TOOLS_DIR_WINPATH)
std::wstring BuiltLauncher() { return WindowsPath(LAUNCHER_EXE_WINPATH); }
std::wstring BuiltStandIn() { return WindowsPath(TOOLS_DIR_WINPATH) + L"\\Javaw.exe"; }
#else
#error "the support library needs LAUNCHER_EXE_WINPATH and TOOLS_DIR_WINPATH"
#endif

ChildRecord ReadChildRecord(const std::wstring& path)
{
    ChildRecord record;
    const std::string bytes = ReadFileBytes(path);
    if (bytes.empty()) return record;
    record.present = true;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        const std::string line = bytes.substr(at, end - at);
        at = end + 1;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        const unsigned long long number = std::strtoull(value.c_str(), nullptr, 10);
        if (key == "command_line")
            record.commandLine = FromUtf8(value);
        else if (key == "current_directory")
            record.currentDirectory = FromUtf8(value);
        else if (key == "flags")
            record.flags = static_cast<DWORD>(number);
        else if (key == "show_window")
            record.showWindow = static_cast<DWORD>(number);
        else if (key == "probe")
            record.probe = FromUtf8(value);
        else if (key == "process_id")
            record.processId = static_cast<DWORD>(number);
        else if (key == "started_ms")
            record.startedMs = number;
        else if (key == "ended_ms") {
            record.ended = true;
            record.endedMs = number;
        }
    }
    return record;
}

bool CreateFolders(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::size_t separator = path.find_last_of(L'\\');
    if (separator != std::wstring::npos && separator > 2 &&
        !CreateFolders(path.substr(0, separator)))
        return false;
    return ::CreateDirectoryW(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CopyInto(const std::wstring& from, const std::wstring& to)
{
    const std::size_t separator = to.find_last_of(L'\\');
    if (separator != std::wstring::npos && !CreateFolders(to.substr(0, separator))) return false;
    return ::CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

std::string Ansi(const std::wstring& text) { return ToCodePage(CP_ACP, text); }

std::wstring FromAnsi(const std::string& text) { return FromCodePage(CP_ACP, text); }

std::wstring LongPath(const std::wstring& path)
{
    const DWORD size = ::GetLongPathNameW(path.c_str(), nullptr, 0);
    if (size == 0) return {};
    std::wstring text(size, L'\0');
    const DWORD length = ::GetLongPathNameW(path.c_str(), &text[0], size);
    if (length == 0 || length >= size) return {};
    text.resize(length);
    return text;
}

std::wstring QuotedUpTo(const std::wstring& commandLine, const std::wstring& end)
{
    const std::size_t start = commandLine.find(L'"');
    if (start == std::wstring::npos) return {};
    const std::size_t stop = commandLine.find(end, start + 1);
    if (stop == std::wstring::npos) return {};
    return commandLine.substr(start + 1, stop - start - 1);
}

namespace {
std::vector<std::wstring> Components(const std::wstring& path)
{
    std::vector<std::wstring> components(1);
    for (wchar_t unit : path) {
        if (unit == L'\\')
            components.emplace_back();
        else
            components.back() += unit;
    }
    return components;
}
}  // namespace

void ExpectNamedInCodePage(const std::wstring& path, const std::wstring& named)
{
    const std::vector<std::wstring> asNamed = Components(named);
    const std::vector<std::wstring> components = Components(path);
    ASSERT_EQ(components.size(), asNamed.size()) << ToUtf8(named);
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (FromAnsi(Ansi(components[i])) == components[i]) {
            EXPECT_EQ(ToUtf8(components[i]), ToUtf8(asNamed[i])) << ToUtf8(named);
        }
    }
    EXPECT_NE("", ToUtf8(LongPath(named))) << ToUtf8(named) << " is not there";
    EXPECT_EQ(ToUtf8(LongPath(path)), ToUtf8(LongPath(named)));
}

DWORD RefusalCode(const std::string& commandLine, const std::string& workingDirectory)
{
    // A relative program is found from the current directory, as the
    // launcher's is then the working directory (when it exists).
    wchar_t saved[MAX_PATH + 1] = {};
    ::GetCurrentDirectoryW(MAX_PATH + 1, saved);
    ::SetCurrentDirectoryA(workingDirectory.c_str());
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESHOWWINDOW;
    start.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    line.push_back('\0');
    const BOOL started = ::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                                          workingDirectory.c_str(), &start, &process);
    const DWORD code = started ? 0 : ::GetLastError();
    ::SetCurrentDirectoryW(saved);
    if (started) {
        ::TerminateProcess(process.hProcess, 1);
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        ADD_FAILURE() << "the platform starts \"" << commandLine << "\" in \"" << workingDirectory
                      << "\"";
    }
    return code;
}

std::wstring FailureText(DWORD code)
{
    return L"Erro " + std::to_wstring(static_cast<int>(code)) + L" ao executar o aplicativo.";
}

namespace {
void ExpectErrorBox(const MessageBoxSeen& box, const std::wstring& caption,
                    const std::wstring& text)
{
    EXPECT_EQ(ToUtf8(caption), ToUtf8(box.caption));
    EXPECT_EQ(ToUtf8(text), ToUtf8(box.text));
    EXPECT_STREQ("error", BoxIconName(box.icon));
    ASSERT_EQ(1u, box.buttons.size());
    EXPECT_EQ("OK", ToUtf8(box.buttons[0]));
}
}  // namespace

void ExpectFailureReport(const LauncherOutcome& outcome, DWORD code)
{
    ASSERT_EQ(1u, outcome.boxes.size());
    ExpectErrorBox(outcome.boxes[0], L"Erro", FailureText(code));
}

void ExpectAbnormalTermination(const LauncherOutcome& outcome, const std::wstring& caption)
{
    ASSERT_EQ(1u, outcome.boxes.size());
    ExpectErrorBox(outcome.boxes[0], caption, L"Abnormal program termination");
}

LauncherCase::LauncherCase()
    : app_(root_ / L"app"), record_(root_ / L"child.txt"), launcher_(root_ / L"KorveNembral.exe")
{
    EXPECT_TRUE(CreateFolders(app_));
    EXPECT_TRUE(CopyInto(BuiltLauncher(), launcher_)) << ToUtf8(BuiltLauncher());
}

std::wstring LauncherCase::PlaceLauncher(const std::wstring& folder, const std::wstring& name)
{
    const std::wstring path = folder + L"\\" + name;
    EXPECT_TRUE(CopyInto(BuiltLauncher(), path)) << ToUtf8(path);
    return path;
}

void LauncherCase::PlaceStandIn(const std::wstring& path)
{
    EXPECT_TRUE(CopyInto(BuiltStandIn(), path)) << ToUtf8(path);
}

void LauncherCase::PlaceLocalRuntime(const std::wstring& folder)
{
    PlaceStandIn(folder + L"\\Java\\bin\\Javaw.exe");
}

LauncherStart LauncherCase::StartIn(const std::wstring& directory, const std::wstring& arguments)
{
    LauncherStart start;
    start.executable = launcher_;
    start.commandLine = L"\"" + launcher_ + L"\"" + arguments;
    start.currentDirectory = directory;
    start.environment = {{L"STANDIN_RECORD", record_}, {L"STANDIN_PROBE", kProbe}};
    return start;
}

LauncherOutcome LauncherCase::Run(const LauncherStart& start)
{
    LauncherOutcome outcome = RunLauncher(start);
    EXPECT_TRUE(outcome.started) << "error " << outcome.startError;
    EXPECT_FALSE(outcome.timedOut) << "the launcher did not end in time";
    return outcome;
}
