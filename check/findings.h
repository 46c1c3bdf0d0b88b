// What the check found out about a launcher start in this folder. Every name
// is held as written (wide text); a value absent from a finding is an empty
// optional, never a flag beside a value.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "check/report_context.h"
#include "check/shortcut.h"
#include "launcher/launch_plan.h"
#include "text/unicode_string.h"

// The launcher's modes, as its plan resolved them.
using CheckMode = LaunchMode;

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
    // The text the launcher would take, for REG_SZ and REG_EXPAND_SZ, as the registry holds it.
    UnicodeString text;
};

// One value in both views: the 64-bit one, read first, and the default (32-bit) one.
struct RegistryViews {
    RegistryFinding view64;
    RegistryFinding view32;
};

// The folder `Java` in the working folder.
struct FolderFinding {
    enum class Kind { Absent, Folder, File, LinkToFolder, LinkToFile, BrokenLink, Unexaminable };
    UnicodeString path;  // as written
    Kind kind = Kind::Absent;
    DWORD error = ERROR_SUCCESS;  // why its attributes could not be read
};

// The program the plan's command line names.
struct ProgramFinding {
    // Script: a batch file, which the start hands to the command interpreter.
    enum class State { Missing, NotAProgram, OtherMachine, Runs, Script };
    // The file the start would run; empty when it would find none.
    UnicodeString path;
    // The name as the command line gives it.
    UnicodeString name;
    // A name without a folder, which the start searches for.
    bool bareName = false;
    // Where that search found it; null when it was not searched for or not found.
    const char* foundIn = nullptr;
    State state = State::Missing;
    // Why it is not a program: the first test it failed.
    UnicodeString defect;
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
    // Its bin\Javaw.exe, when the launcher could name the folder at all.
    std::optional<ProgramFinding> program;
    bool usable = false;
    UnicodeString whyNotUsable;
};

// What became of --reg-fix.
struct RegistryFix {
    UnicodeString file;
    bool written = false;
    // A file was due but is not there: its name exists, or the write failed.
    bool notWritten = false;
    int chosen = -1;  // the runtime in `runtimesElsewhere` it names
    // Why nothing was written, or why the file could not be.
    UnicodeString reason;
};

// What the launcher would ask the platform to start, as the child is given it.
struct StartRequest {
    UnicodeString commandLine;
    UnicodeString workingDirectory;
};

// A path of the plan with a name the code page cannot write, and the path
// ending in that name's short name that the child is given instead.
struct ShortName {
    UnicodeString written;
    UnicodeString given;
};

// The value that ends the resolution abnormally: its name, type and view.
struct AbnormalValue {
    UnicodeString name;
    DWORD type = REG_NONE;
    bool in64BitView = false;
};

// What lets the start be made but may stop the application after it.
struct StartWarning {
    // "archive-missing", "archive-unreadable", "not-java-8", "heap-on-32-bit" or
    // "shortcut-target".
    const char* kind = "";
    UnicodeString text;  // one sentence
};

struct Findings {
    // When, by which check and on which system.
    ReportContext context;
    // The shortcut whose start is judged, with --shortcut.
    std::optional<ShortcutFinding> shortcut;
    UnicodeString workingFolder;  // as written
    std::optional<UnicodeString> firstArgument;
    CheckMode mode = CheckMode::EmptyPlan;

    // What the mode looked at; each only when the launcher's mode consults it.
    std::optional<FolderFinding> javaFolder;
    std::optional<RegistryViews> javaHome;
    std::optional<RegistryViews> executable;

    // The plan, from the launcher's own resolution; only when the launcher
    // would ask the platform to start a command line.
    std::optional<StartRequest> start;
    std::vector<ShortName> shortNames;

    std::optional<AbnormalValue> abnormal;

    Verdict verdict = Verdict::Refuse;
    // The code the launcher shows; none when the platform decides it.
    std::optional<DWORD> code;
    // Why, in one sentence.
    UnicodeString reason;
    std::optional<ProgramFinding> program;

    // Java runtimes the installed-runtime mode does not see, and the fix for them.
    std::optional<std::vector<RuntimeElsewhere>> runtimesElsewhere;
    std::optional<RegistryFix> registryFix;

    // Only when the verdict is start; they never change it.
    std::vector<StartWarning> warnings;
};
