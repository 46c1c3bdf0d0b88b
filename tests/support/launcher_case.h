// What the end-to-end cases share: a folder of their own for each case with
// copies of the launcher and of the stand-in Java runtime, the stand-in's
// record, and the boxes a user would see.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/launcher_runner.h"
#include "tests/support/temp_folder.h"

// The registry keys and values the launcher reads.
extern const wchar_t kJavaRuntimeKey[];
extern const wchar_t kJavaHomeValue[];
extern const wchar_t kProductKey[];
extern const wchar_t kExecutableValue[];
// The fixed installation's folders, as the launcher names them.
extern const wchar_t kFixedArchiveFolder[];
extern const wchar_t kFixedWorkingDirectory[];

// Returns the built launcher's Windows path; never throws but for lack of memory.
std::wstring BuiltLauncher();
// Returns the built stand-in Java runtime's Windows path; never throws but for lack of memory.
std::wstring BuiltStandIn();

// What the stand-in recorded; `present` is false when it never ran.
struct ChildRecord {
    bool present = false;
    std::wstring commandLine;
    std::wstring currentDirectory;
    DWORD flags = 0;
    DWORD showWindow = 0;
    std::wstring probe;
    DWORD processId = 0;
    ULONGLONG startedMs = 0;
    // Whether the stand-in came to its end, and when.
    bool ended = false;
    ULONGLONG endedMs = 0;
};

// Returns the record in the file at `path`; never throws but for lack of memory.
ChildRecord ReadChildRecord(const std::wstring& path);

// Creates `path` and every missing folder above it; returns whether it exists afterwards.
bool CreateFolders(const std::wstring& path);
// Copies the file `from` to `to`, creating the folders on the way; returns whether it was copied.
bool CopyInto(const std::wstring& from, const std::wstring& to);

// Returns `text` in the ANSI code page, as the launcher converts it; never throws but for lack of
// memory.
std::string Ansi(const std::wstring& text);
// Returns `text` read in the ANSI code page; never throws but for lack of memory.
std::wstring FromAnsi(const std::string& text);

// Returns the path with each component as the file system names it (its long
// form); empty when it is not there. Never throws but for lack of memory.
std::wstring LongPath(const std::wstring& path);
// Returns the text after the first quote of `commandLine` up to the first `end`
// after it; empty when either is missing. Never throws but for lack of memory.
std::wstring QuotedUpTo(const std::wstring& commandLine, const std::wstring& end);
// Expects `named`, a path as a child was given it, to name `path` in the ANSI
// code page: each component of `path` that the code page writes stays as it
// is, and both name the same folder or file.
void ExpectNamedInCodePage(const std::wstring& path, const std::wstring& named);

// Returns the error code with which the platform refuses to start
// `commandLine` in `workingDirectory`, asked the way the launcher asks it;
// 0 (and a test failure) when the platform starts it after all.
DWORD RefusalCode(const std::string& commandLine, const std::string& workingDirectory);

// The failure report's text for `code`.
std::wstring FailureText(DWORD code);

// Expects exactly one box: the failure report for `code`.
void ExpectFailureReport(const LauncherOutcome& outcome, DWORD code);
// Expects exactly one box: the abnormal-termination box captioned `caption`.
void ExpectAbnormalTermination(const LauncherOutcome& outcome, const std::wstring& caption);

// The base of every case: a root folder of its own, an application folder
// "app" inside it, and a record file the stand-in writes.
class LauncherCase : public ::testing::Test {
protected:
    LauncherCase();

    // Returns root / relative.
    std::wstring Under(const std::wstring& relative) const { return root_ / relative; }
    const std::wstring& App() const { return app_; }

    // Copies the launcher into `folder` as `name`; returns its path.
    std::wstring PlaceLauncher(const std::wstring& folder,
                               const std::wstring& name = L"KorveNembral.exe");
    // Copies the stand-in to `path`; a failure is reported to the running test.
    void PlaceStandIn(const std::wstring& path);
    // Makes `folder`\Java\bin\Javaw.exe a stand-in: the local runtime.
    void PlaceLocalRuntime(const std::wstring& folder);

    // The start every case begins with: the copied launcher, its program
    // token quoted and nothing after it, in the application folder, with the
    // stand-in told where to record and a probe variable to pass on.
    LauncherStart StartIn(const std::wstring& directory, const std::wstring& arguments = L"");
    // Runs `start` to its end; a time-out is reported to the running test.
    LauncherOutcome Run(const LauncherStart& start);
    ChildRecord Record() const { return ReadChildRecord(record_); }

    // The probe variable's value as the launcher's caller sets it.
    static const wchar_t kProbe[];

    TempFolder root_;
    std::wstring app_;
    std::wstring record_;
    std::wstring launcher_;
};
