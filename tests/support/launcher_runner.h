// Starts the real launcher as a user or a shortcut would, with an exact raw
// command line, current directory and environment; answers its message boxes
// as a user would, recording each; and reports how it ended.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct EnvironmentSetting {
    std::wstring name;
    std::wstring value;
};

struct LauncherStart {
    // The executable to start (lpApplicationName), whatever the command line says.
    std::wstring executable;
    // The raw command line, handed over unchanged; it may name another program or none.
    std::wstring commandLine;
    std::wstring currentDirectory;
    // Added to the caller's own environment, replacing variables of the same name.
    std::vector<EnvironmentSetting> environment;
    // When set, the program's standard output and error go to this new file,
    // and a console program gets no console window of its own.
    std::wstring outputPath;
    // When set, the start record carries STARTF_USESHOWWINDOW with `showWindow`.
    bool useShowWindow = false;
    WORD showWindow = SW_SHOWNORMAL;
    // The launcher is killed, and the run counts as timed out, after this long.
    DWORD timeLimitMs = 60000;
    // How long a box stays up before it is read and answered, so it is fully drawn.
    DWORD boxSettleMs = 300;
};

enum class BoxIcon { None, Error, Question, Warning, Information, Unknown };

// Returns the icon's name, e.g. "error"; never throws.
const char* BoxIconName(BoxIcon icon);

struct MessageBoxSeen {
    std::wstring caption;
    std::wstring text;
    BoxIcon icon = BoxIcon::Unknown;
    // The visible buttons' texts as shown, mnemonic markers removed.
    std::vector<std::wstring> buttons;
    // The box as it was on the screen (window rectangle), 0x00RRGGBB, row by row.
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

struct LauncherOutcome {
    bool started = false;
    DWORD startError = 0;
    bool timedOut = false;
    DWORD exitCode = 0;
    DWORD processId = 0;
    // GetTickCount64 when the runner saw the process end.
    ULONGLONG endedMs = 0;
    std::vector<MessageBoxSeen> boxes;
};

// One launcher process, started on construction and watched until it ends.
class LauncherRun {
public:
    explicit LauncherRun(const LauncherStart& start);
    LauncherRun(const LauncherRun&) = delete;
    LauncherRun& operator=(const LauncherRun&) = delete;
    // Kills the process if it is still running.
    ~LauncherRun();

    // Answers any new box, and returns whether the process has ended or was
    // killed at its time limit; never throws but for lack of memory.
    bool Poll();
    // Polls until the process has ended or its time limit has passed; returns the outcome.
    LauncherOutcome Finish();
    const LauncherOutcome& Outcome() const { return outcome_; }

private:
    void Answer(HWND box);

    LauncherStart start_;
    LauncherOutcome outcome_;
    HANDLE process_ = nullptr;
    ULONGLONG startedMs_ = 0;
    bool ended_ = false;
    // Boxes seen, with the tick they were first seen, and those already answered.
    std::vector<std::pair<HWND, ULONGLONG>> pending_;
    std::vector<HWND> answered_;
};

// Starts the launcher, answers its boxes, and returns the outcome once it has ended.
LauncherOutcome RunLauncher(const LauncherStart& start);

// Returns the current environment with `settings` added or replaced, as a
// CREATE_UNICODE_ENVIRONMENT block; never throws but for lack of memory.
std::wstring EnvironmentBlock(const std::vector<EnvironmentSetting>& settings);

// Returns `text` in the code page (CP_ACP, CP_UTF8, ...); never throws but for lack of memory.
std::string ToCodePage(UINT codePage, const std::wstring& text);
// Returns `bytes` read in the code page; never throws but for lack of memory.
std::wstring FromCodePage(UINT codePage, const std::string& bytes);
// Returns the UTF-8 form of `text`; never throws but for lack of memory.
std::string ToUtf8(const std::wstring& text);
// Returns `bytes` read as UTF-8; never throws but for lack of memory.
std::wstring FromUtf8(const std::string& bytes);

// Writes the box's picture as a PNG file; returns whether it was written.
bool WriteBoxPicture(const MessageBoxSeen& box, const std::wstring& path);
