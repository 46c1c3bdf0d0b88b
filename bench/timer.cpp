// Measures the launcher against the bare launcher from inside Wine, so that
// Wine's start-up of the timer itself never counts.
//
//   bench_timer --plan FILE [--runs N] [--warmup N] [--java-home PATH]
//               [--memory-sleep-ms MS] [--raw FILE]
//
// The plan holds one case a line, fields separated by tabs:
//   mode  who  kind  directory  command line
// `who` is "bare" for the bare launcher, any other name for a launcher build; `kind` is "wait"
// (timed from the start until the process has ended) or "box" (timed from the start until a visible
// dialog box of that process exists; the box is then answered with OK). All cases run interleaved,
// round after round, in a new order each round.
//
// With --java-home, the 64-bit registry view gets the Java runtime key with
// that JavaHome for the run; what was there before is put back afterwards.
//
// Afterwards every "wait" case is started once more with the stand-in runtime
// sleeping, and the memory counters of the launching process are read while it
// waits for its child. Prints Markdown tables on standard output.
#include <windows.h>

#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {
const DWORD kTimeoutMs = 20000;

struct Case {
    std::wstring mode;
    std::wstring who;
    std::wstring kind;
    std::wstring directory;
    std::wstring commandLine;
    std::vector<double> samples;  // milliseconds, one a round; negative: failed
    int failures = 0;
};

struct Outcome {
    bool ok = false;
    double milliseconds = 0;
    double untilEnd = 0;  // from the start until the process has ended
    DWORD exitCode = 0;
    std::wstring boxText;
    std::wstring problem;
};

std::string Utf8(const std::wstring& text)
{
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                          nullptr, nullptr);
    return bytes;
}

std::wstring Wide(const std::string& bytes)
{
    if (bytes.empty()) return {};
    const int size =
        ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], size);
    return text;
}

double NowMs()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.clear();
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    ::CloseHandle(file);
    return true;
}

std::vector<std::wstring> Split(const std::wstring& line, wchar_t separator)
{
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
        const size_t end = line.find(separator, start);
        fields.push_back(line.substr(start, end - start));
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return fields;
}

bool ReadPlan(const std::wstring& path, std::vector<Case>& cases)
{
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        std::fprintf(stderr, "cannot read the plan %s\n", Utf8(path).c_str());
        return false;
    }
    for (std::wstring line : Split(Wide(bytes), L'\n')) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.empty() || line[0] == L'#') continue;
        const std::vector<std::wstring> fields = Split(line, L'\t');
        if (fields.size() != 5 || (fields[2] != L"wait" && fields[2] != L"box")) {
            std::fprintf(stderr, "bad plan line: %s\n", Utf8(line).c_str());
            return false;
        }
        Case entry;
        entry.mode = fields[0];
        entry.who = fields[1];
        entry.kind = fields[2];
        entry.directory = fields[3];
        entry.commandLine = fields[4];
        cases.push_back(entry);
    }
    return !cases.empty();
}

struct BoxSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK ConsiderWindow(HWND window, LPARAM context)
{
    BoxSearch& search = *reinterpret_cast<BoxSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !::IsWindowVisible(window)) return TRUE;
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32770") return TRUE;
    search.found = window;
    return FALSE;
}

HWND FindBox(DWORD processId)
{
    BoxSearch search = {processId, nullptr};
    ::EnumWindows(ConsiderWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring BoxText(HWND box)
{
    // A message box's text is the static control with the id 0xFFFF.
    wchar_t text[512] = {};
    ::GetDlgItemTextW(box, 0xFFFF, text, 512);
    wchar_t caption[128] = {};
    ::GetWindowTextW(box, caption, 128);
    return std::wstring(caption) + L": " + text;
}

// Starts the case's process and measures it. `observe`, when given, is called
// with the process once it is running (for the memory figures), before the wait.
template <typename Observer>
Outcome Run(const Case& entry, Observer observe)
{
    Outcome outcome;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    std::wstring commandLine = entry.commandLine;
    const double begin = NowMs();
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          entry.directory.c_str(), &startup, &started)) {
        outcome.problem = L"CreateProcessW failed, error " + std::to_wstring(::GetLastError());
        return outcome;
    }
    observe(started);
    bool timedOut = false;
    if (entry.kind == L"wait") {
        timedOut = ::WaitForSingleObject(started.hProcess, kTimeoutMs) != WAIT_OBJECT_0;
        outcome.milliseconds = NowMs() - begin;
    } else {
        HWND box = nullptr;
        for (;;) {
            box = FindBox(started.dwProcessId);
            if (box) {
                outcome.milliseconds = NowMs() - begin;
                break;
            }
            if (::WaitForSingleObject(started.hProcess, 0) == WAIT_OBJECT_0) {
                outcome.problem = L"ended without a box";
                break;
            }
            if (NowMs() - begin > kTimeoutMs) {
                timedOut = true;
                break;
            }
            ::Sleep(1);
        }
        if (box) {
            outcome.boxText = BoxText(box);
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            timedOut = ::WaitForSingleObject(started.hProcess, kTimeoutMs) != WAIT_OBJECT_0;
        }
    }
    if (timedOut) {
        ::TerminateProcess(started.hProcess, 1);
        ::WaitForSingleObject(started.hProcess, kTimeoutMs);
        outcome.problem = L"timed out";
    }
    outcome.untilEnd = NowMs() - begin;
    ::GetExitCodeProcess(started.hProcess, &outcome.exitCode);
    ::CloseHandle(started.hProcess);
    ::CloseHandle(started.hThread);
    if (outcome.problem.empty() && outcome.exitCode != 0)
        outcome.problem = L"exit status " + std::to_wstring(outcome.exitCode);
    outcome.ok = outcome.problem.empty();
    return outcome;
}

Outcome Run(const Case& entry)
{
    return Run(entry, [](const PROCESS_INFORMATION&) {});
}

struct Stats {
    size_t n = 0;
    double median = 0, p10 = 0, p90 = 0, q1 = 0, q3 = 0, min = 0, max = 0;
};

double Quantile(const std::vector<double>& sorted, double q)
{
    const double at = q * static_cast<double>(sorted.size() - 1);
    const size_t below = static_cast<size_t>(at);
    const size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] + (sorted[above] - sorted[below]) * (at - static_cast<double>(below));
}

Stats Summarise(std::vector<double> values)
{
    Stats stats;
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return v < 0; }),
                 values.end());
    if (values.empty()) return stats;
    std::sort(values.begin(), values.end());
    stats.n = values.size();
    stats.median = Quantile(values, 0.5);
    stats.p10 = Quantile(values, 0.1);
    stats.p90 = Quantile(values, 0.9);
    stats.q1 = Quantile(values, 0.25);
    stats.q3 = Quantile(values, 0.75);
    stats.min = values.front();
    stats.max = values.back();
    return stats;
}

// Puts the Java runtime key with a JavaHome into the 64-bit view, and what was
// there before back again.
class JavaHomeKey {
public:
    explicit JavaHomeKey(const std::wstring& javaHome)
    {
        const wchar_t* const levels[] = {L"Software\\JavaSoft",
                                         L"Software\\JavaSoft\\Java Runtime Environment",
                                         L"Software\\JavaSoft\\Java Runtime Environment\\1.8"};
        HKEY key = nullptr;
        for (const wchar_t* level : levels) {
            if (key) ::RegCloseKey(key);
            key = nullptr;
            DWORD disposition = 0;
            if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, level, 0, nullptr, 0,
                                  KEY_READ | KEY_WRITE | KEY_WOW64_64KEY, nullptr, &key,
                                  &disposition) != ERROR_SUCCESS) {
                std::fprintf(stderr, "cannot create the Java runtime key\n");
                return;
            }
            if (disposition == REG_CREATED_NEW_KEY) created_.push_back(level);
        }
        DWORD size = 0;
        if (::RegQueryValueExW(key, L"JavaHome", nullptr, &previousType_, nullptr, &size) ==
            ERROR_SUCCESS) {
            previous_.resize(size);
            hadValue_ = ::RegQueryValueExW(key, L"JavaHome", nullptr, &previousType_,
                                           previous_.data(), &size) == ERROR_SUCCESS;
            previous_.resize(size);
        }
        const DWORD bytes = static_cast<DWORD>((javaHome.size() + 1) * sizeof(wchar_t));
        ready_ = ::RegSetValueExW(key, L"JavaHome", 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(javaHome.c_str()),
                                  bytes) == ERROR_SUCCESS;
        ::RegCloseKey(key);
    }
    JavaHomeKey(const JavaHomeKey&) = delete;
    JavaHomeKey& operator=(const JavaHomeKey&) = delete;
    ~JavaHomeKey()
    {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                            L"Software\\JavaSoft\\Java Runtime Environment\\1.8", 0,
                            KEY_WRITE | KEY_WOW64_64KEY, &key) == ERROR_SUCCESS) {
            if (hadValue_)
                ::RegSetValueExW(key, L"JavaHome", 0, previousType_, previous_.data(),
                                 static_cast<DWORD>(previous_.size()));
            else
                ::RegDeleteValueW(key, L"JavaHome");
            ::RegCloseKey(key);
        }
        for (auto level = created_.rbegin(); level != created_.rend(); ++level)
            ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, *level, KEY_WOW64_64KEY, 0);
    }

    bool Ready() const { return ready_; }

private:
    std::vector<const wchar_t*> created_;
    std::vector<BYTE> previous_;
    DWORD previousType_ = REG_NONE;
    bool hadValue_ = false;
    bool ready_ = false;
};

// Returns whether a process whose parent is `parentId` is running.
bool HasChild(DWORD parentId)
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !found;
         more = ::Process32NextW(snapshot, &entry))
        found = entry.th32ParentProcessID == parentId;
    ::CloseHandle(snapshot);
    return found;
}

struct Memory {
    bool childSeen = false;
    bool read = false;
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    std::wstring modules;
};

// Returns the file names of the DLLs loaded in the process, lower-cased, the
// executable and the always-present ntdll, kernel32 and kernelbase left out.
std::wstring LoadedLibraries(HANDLE process)
{
    HMODULE modules[256];
    DWORD needed = 0;
    if (!::EnumProcessModules(process, modules, sizeof modules, &needed)) return L"?";
    std::wstring names;
    const DWORD count = std::min<DWORD>(needed / sizeof(HMODULE), 256);
    for (DWORD i = 1; i < count; ++i) {
        wchar_t name[MAX_PATH] = {};
        if (!::GetModuleBaseNameW(process, modules[i], name, MAX_PATH)) continue;
        std::wstring lower(name);
        for (wchar_t& unit : lower) unit = static_cast<wchar_t>(std::towlower(unit));
        if (lower == L"ntdll.dll" || lower == L"kernel32.dll" || lower == L"kernelbase.dll")
            continue;
        names += (names.empty() ? L"" : L" ") + lower;
    }
    return names;
}

std::wstring TempFile(const wchar_t* prefix)
{
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    wchar_t path[MAX_PATH] = {};
    ::GetTempFileNameW(folder, prefix, 0, path);
    return path;
}

// Runs every case once, its stand-in recording the command line it got, and
// reports whether launcher and bare launcher started the same in each mode.
void CheckCommandLines(const std::vector<Case>& cases)
{
    std::map<std::wstring, std::map<std::wstring, std::wstring>> seen;  // mode -> who -> what
    std::printf("Check runs (each case once, before the timing):\n\n");
    for (const Case& entry : cases) {
        const std::wstring record = TempFile(L"bnc");
        ::SetEnvironmentVariableW(L"BENCH_STANDIN_RECORD", record.c_str());
        const Outcome outcome = Run(entry);
        ::SetEnvironmentVariableW(L"BENCH_STANDIN_RECORD", nullptr);
        std::string bytes;
        ReadFileBytes(record, bytes);
        ::DeleteFileW(record.c_str());
        std::wstring what;
        if (entry.kind == L"wait") {
            what.assign(reinterpret_cast<const wchar_t*>(bytes.data()),
                        bytes.size() / sizeof(wchar_t));
            while (!what.empty() && what.back() == L'\n') what.pop_back();
        } else {
            what = outcome.boxText;
        }
        std::printf("- %s, %s: %s%s (%.0f ms, %.0f ms until it ended)\n", Utf8(entry.mode).c_str(),
                    Utf8(entry.who).c_str(),
                    outcome.ok ? "ok" : "FAILED: ", Utf8(outcome.problem).c_str(),
                    outcome.milliseconds, outcome.untilEnd);
        std::printf("  %s `%s`\n", entry.kind == L"wait" ? "child:" : "box:", Utf8(what).c_str());
        seen[entry.mode][entry.who] = what;
    }
    for (auto& mode : seen) {
        auto& byWho = mode.second;
        if (!byWho.count(L"bare")) continue;
        for (auto& other : byWho)
            if (other.first != L"bare")
                std::printf("- %s: %s and bare launcher %s\n", Utf8(mode.first).c_str(),
                            Utf8(other.first).c_str(),
                            other.second == byWho[L"bare"] ? "match" : "DIFFER");
    }
    std::printf("\n");
}

void PrintStartup(std::vector<Case>& cases, int runs, int warmup)
{
    std::printf(
        "Start-up, ms, from CreateProcessW to the end of the wait (\"box\": to the box being "
        "visible); %d runs of each case, interleaved, after %d warm-up rounds:\n\n",
        runs, warmup);
    std::printf("| mode | who | n | median | p10 | p90 | IQR | min | max |\n");
    std::printf("|---|---|---:|---:|---:|---:|---:|---:|---:|\n");
    for (Case& entry : cases) {
        const Stats s = Summarise(entry.samples);
        std::printf("| %s | %s | %zu | %.1f | %.1f | %.1f | %.1f | %.1f | %.1f |\n",
                    Utf8(entry.mode).c_str(), Utf8(entry.who).c_str(), s.n, s.median, s.p10, s.p90,
                    s.q3 - s.q1, s.min, s.max);
    }
    std::printf(
        "\n| mode | who | ratio of medians to bare | per-round ratios to bare: median (p10-p90) "
        "|\n");
    std::printf("|---|---|---:|---:|\n");
    for (const Case& bare : cases) {
        if (bare.who != L"bare") continue;
        for (const Case& other : cases) {
            if (other.mode != bare.mode || other.who == L"bare") continue;
            std::vector<double> ratios;
            for (size_t i = 0; i < other.samples.size() && i < bare.samples.size(); ++i)
                if (other.samples[i] > 0 && bare.samples[i] > 0)
                    ratios.push_back(other.samples[i] / bare.samples[i]);
            const Stats o = Summarise(other.samples);
            const Stats b = Summarise(bare.samples);
            const Stats r = Summarise(ratios);
            std::printf("| %s | %s | %.3f | %.3f (%.3f-%.3f) |\n", Utf8(bare.mode).c_str(),
                        Utf8(other.who).c_str(), b.median > 0 ? o.median / b.median : 0.0, r.median,
                        r.p10, r.p90);
        }
    }
    int failures = 0;
    for (const Case& entry : cases) failures += entry.failures;
    std::printf("\nFailed runs: %d\n\n", failures);
}

void PrintMemory(const std::vector<Case>& cases, DWORD sleepMs)
{
    std::printf(
        "Memory of the launching process while its child (the stand-in, sleeping %lu ms) runs, "
        "GetProcessMemoryInfo, KiB:\n\n",
        static_cast<unsigned long>(sleepMs));
    std::printf(
        "| mode | who | peak working set | working set | private bytes (PrivateUsage) | "
        "commit (PagefileUsage) | peak commit | child seen | DLLs loaded while waiting |\n");
    std::printf("|---|---|---:|---:|---:|---:|---:|---|---|\n");
    const std::wstring sleep = std::to_wstring(sleepMs);
    for (const Case& entry : cases) {
        if (entry.kind != L"wait") continue;
        Memory memory;
        ::SetEnvironmentVariableW(L"BENCH_STANDIN_SLEEP_MS", sleep.c_str());
        const Outcome outcome = Run(entry, [&](const PROCESS_INFORMATION& started) {
            const double begin = NowMs();
            while (!memory.childSeen && NowMs() - begin < sleepMs) {
                memory.childSeen = HasChild(started.dwProcessId);
                if (!memory.childSeen) ::Sleep(10);
            }
            // Settled: the launcher is in its wait by now.
            ::Sleep(std::min<DWORD>(300, sleepMs / 3));
            memory.counters.cb = sizeof memory.counters;
            memory.read = ::GetProcessMemoryInfo(
                started.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory.counters),
                sizeof memory.counters);
            memory.modules = LoadedLibraries(started.hProcess);
        });
        ::SetEnvironmentVariableW(L"BENCH_STANDIN_SLEEP_MS", nullptr);
        if (!memory.read || !outcome.ok) {
            std::printf("| %s | %s | failed: %s | | | | | | |\n", Utf8(entry.mode).c_str(),
                        Utf8(entry.who).c_str(),
                        memory.read ? Utf8(outcome.problem).c_str() : "GetProcessMemoryInfo");
            continue;
        }
        const PROCESS_MEMORY_COUNTERS_EX& c = memory.counters;
        std::printf("| %s | %s | %lu | %lu | %lu | %lu | %lu | %s | %s |\n",
                    Utf8(entry.mode).c_str(), Utf8(entry.who).c_str(),
                    static_cast<unsigned long>(c.PeakWorkingSetSize / 1024),
                    static_cast<unsigned long>(c.WorkingSetSize / 1024),
                    static_cast<unsigned long>(c.PrivateUsage / 1024),
                    static_cast<unsigned long>(c.PagefileUsage / 1024),
                    static_cast<unsigned long>(c.PeakPagefileUsage / 1024),
                    memory.childSeen ? "yes" : "no", Utf8(memory.modules).c_str());
    }
    std::printf("\n");
}

void WriteRaw(const std::wstring& path, const std::vector<Case>& cases)
{
    std::string text = "round,mode,who,ms\n";
    for (const Case& entry : cases)
        for (size_t i = 0; i < entry.samples.size(); ++i) {
            char value[32];
            std::snprintf(value, sizeof value, "%.3f", entry.samples[i]);
            text += std::to_string(i) + "," + Utf8(entry.mode) + "," + Utf8(entry.who) + "," +
                    value + "\n";
        }
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
}
}  // namespace

int main()
{
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::wstring planPath, javaHome, rawPath;
    int runs = 30, warmup = 3;
    DWORD memorySleepMs = 1500;
    for (int i = 1; i + 1 < count; i += 2) {
        const std::wstring name = arguments[i];
        const std::wstring value = arguments[i + 1];
        if (name == L"--plan")
            planPath = value;
        else if (name == L"--runs")
            runs = std::max(1, std::stoi(value));
        else if (name == L"--warmup")
            warmup = std::max(0, std::stoi(value));
        else if (name == L"--java-home")
            javaHome = value;
        else if (name == L"--memory-sleep-ms")
            memorySleepMs = std::stoul(value);
        else if (name == L"--raw")
            rawPath = value;
        else {
            std::fprintf(stderr, "unknown option %s\n", Utf8(name).c_str());
            return 2;
        }
    }
    std::vector<Case> cases;
    if (planPath.empty() || !ReadPlan(planPath, cases)) return 2;
    // No crash dialog from a broken build: the bench reports it and goes on.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

    std::unique_ptr<JavaHomeKey> key;
    if (!javaHome.empty()) {
        key.reset(new JavaHomeKey(javaHome));
        if (!key->Ready())
            std::printf("(could not set JavaHome; installed-runtime runs may fail)\n");
    }

    CheckCommandLines(cases);

    // A new order each round, the same in every bench run: no case always
    // follows the same other one. Each start gets a moment for Wine to finish
    // the previous process's end first, a box case a longer one.
    std::vector<size_t> order(cases.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    unsigned long long state = 0x9E3779B97F4A7C15ull;
    for (int round = -warmup; round < runs; ++round) {
        for (size_t i = order.size(); i > 1; --i) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            std::swap(order[i - 1], order[state % i]);
        }
        for (size_t index : order) {
            Case& entry = cases[index];
            const Outcome outcome = Run(entry);
            ::Sleep(entry.kind == L"box" ? 300 : 30);
            if (round < 0) continue;
            entry.samples.push_back(outcome.ok ? outcome.milliseconds : -1);
            if (!outcome.ok) {
                ++entry.failures;
                std::fprintf(stderr, "%s, %s: %s\n", Utf8(entry.mode).c_str(),
                             Utf8(entry.who).c_str(), Utf8(outcome.problem).c_str());
            }
        }
    }
    PrintStartup(cases, runs, warmup);
    if (!rawPath.empty()) WriteRaw(rawPath, cases);
    PrintMemory(cases, memorySleepMs);
    key.reset();
    ::LocalFree(arguments);
    return 0;
}
