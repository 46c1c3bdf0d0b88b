// What the check found out about a launcher start in this folder.
#pragma once

#include <windows.h>

#include <vector>

#include "check/report_context.h"
#include "check/shortcut.h"
#include "text/ansi_string.h"
#include "text/unicode_string.h"

// The launcher's modes, as its first argument and its folder select them.
enum class CheckMode { LocalRuntime, InstalledRuntime, FixedInstallation, EmptyPlan };

// What the launcher would do: start a program, show the failure report, or
// end with "Abnormal program termination".
enum class Verdict { Start, Refuse, Abnormal };

// One registry value in one view, as the launcher's accessor would find it.
struct RegistryFinding {
    enum class State { KeyAbsent, KeyUnreadable, ValueAbsent, Present };
    State state = State::KeyAbsent;
    LONG error = ERROR_SUCCESS;  // why an existing key did not open
    DWORD type = REG_NONE;
    DWORD size = 0;
    // The text the launcher would take, for REG_SZ and REG_EXPAND_SZ.
    AnsiString text;
};

// The folder `Java` in the working folder.
struct FolderFinding {
    enum class Kind { Absent, Folder, File, LinkToFolder, LinkToFile, BrokenLink, Unexaminable };
    AnsiString path;
    Kind kind = Kind::Absent;
    DWORD error = ERROR_SUCCESS;  // why its attributes could not be read
};

// The program the plan's command line names.
struct ProgramFinding {
    // Script: a batch file, which the start hands to the command interpreter.
    enum class State { Missing, NotAProgram, OtherMachine, Runs, Script };
    AnsiString path;
    // A name without a folder, which the start searches for.
    bool bareName = false;
    // Where that search found it; null when it was not searched for or not found.
    const char* foundIn = nullptr;
    State state = State::Missing;
    // Why it is not a program: the first test it failed.
    AnsiString defect;
    unsigned machine = 0;       // the file's machine type
    unsigned nativeSystem = 0;  // PROCESSOR_ARCHITECTURE_* of this system
};

// A Java runtime registered below HKEY_LOCAL_MACHINE where the launcher does
// not read: another key, or the 32-bit view that a 64-bit key hides.
struct RuntimeElsewhere {
    enum class View { SixtyFourBit, ThirtyTwoBit, Only };
    UnicodeString registryKey;  // below HKEY_LOCAL_MACHINE
    const wchar_t* valueName = L"";
    View view = View::Only;
    bool jdk = false;       // registered as a development kit, not as a runtime
    UnicodeString version;  // as its key names it: "1.8.0_401", "8.0.412.8", "11"
    int feature = 0;        // the Java version that names: 8 for both of those; 0 unknown
    int update = 0;         // its update, 401 and 412 there; 0 unknown
    DWORD type = REG_NONE;
    // The value's text without its trailing separators: the folder that holds bin\Javaw.exe.
    UnicodeString folder;
    bool programExamined = false;
    ProgramFinding program;
    bool usable = false;
    AnsiString whyNotUsable;
};

// What became of --reg-fix.
struct RegistryFix {
    bool asked = false;
    UnicodeString file;
    bool written = false;
    int chosen = -1;  // the runtime in `runtimesElsewhere` it names
    // Why nothing was written, or why the file could not be.
    AnsiString reason;
};

// What lets the start be made but may stop the application after it.
struct StartWarning {
    // "archive-missing", "archive-unreadable", "not-java-8", "heap-on-32-bit" or
    // "shortcut-target".
    const char* kind = "";
    AnsiString text;  // one sentence
};

struct Findings {
    // When, by which check and on which system.
    ReportContext context;
    // The shortcut whose start is judged, with --shortcut.
    bool fromShortcut = false;
    ShortcutFinding shortcut;
    bool shortcutTargetsLauncher = false;
    AnsiString workingFolder;
    bool hasArgument = false;
    AnsiString firstArgument;
    CheckMode mode = CheckMode::EmptyPlan;

    // What the mode looked at; each only when the launcher's mode consults it.
    bool looksAtFolder = false;
    FolderFinding javaFolder;
    bool looksAtJavaHome = false;
    RegistryFinding javaHome64;
    RegistryFinding javaHome32;
    bool looksAtExecutable = false;
    RegistryFinding executable64;
    RegistryFinding executable32;

    // The plan, from the launcher's own resolution; only when the launcher
    // would ask the platform to start it.
    bool startAsked = false;
    AnsiString commandLine;
    AnsiString workingDirectory;
    // Each path of the plan up to a name the code page cannot write, which
    // ends in the short name the plan gives it instead.
    std::vector<AnsiString> shortNames;

    // The value that ends the resolution abnormally: its name, type and view.
    AnsiString abnormalValue;
    DWORD abnormalType = REG_NONE;
    bool abnormalIn64BitView = false;

    Verdict verdict = Verdict::Refuse;
    bool codeKnown = false;
    DWORD code = ERROR_SUCCESS;
    // Why, in one sentence.
    AnsiString reason;
    bool programExamined = false;
    ProgramFinding program;

    // Java runtimes the installed-runtime mode does not see, and the fix for them.
    bool looksElsewhere = false;
    std::vector<RuntimeElsewhere> runtimesElsewhere;
    RegistryFix registryFix;

    // Only when the verdict is start; they never change it.
    std::vector<StartWarning> warnings;
};
