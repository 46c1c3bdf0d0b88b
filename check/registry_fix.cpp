#include "check/registry_fix.h"

#include <cstdio>
#include <cwchar>
#include <string>

#include "check/runtimes_elsewhere.h"
#include "launcher/registry_names.h"
#include "text/conversion.h"

const char kRegistryFixRule[] =
    "a 64-bit runtime before a 32-bit one (the application asks for a 1024 MiB heap, which a "
    "32-bit Java often cannot reserve), a runtime (JRE) before a development kit (JDK), the "
    "newest update, then the first listed";

namespace {
bool IsSixtyFourBit(const RuntimeElsewhere& runtime)
{
    return runtime.program.machine == IMAGE_FILE_MACHINE_AMD64 ||
           runtime.program.machine == IMAGE_FILE_MACHINE_ARM64;
}

// Whether `a` comes before `b` by the rule; a tie keeps the order listed.
bool Before(const RuntimeElsewhere& a, const RuntimeElsewhere& b)
{
    if (IsSixtyFourBit(a) != IsSixtyFourBit(b)) return IsSixtyFourBit(a);
    if (a.jdk != b.jdk) return !a.jdk;
    return a.update > b.update;
}

// Appends text for a comment line: a control character would end it early.
void AppendCommentText(std::wstring& out, const wchar_t* text)
{
    for (; *text; ++text) out += *text < 0x20 ? L'?' : *text;
}

void AppendNarrow(std::wstring& out, const char* text)
{
    const UnicodeString wide = ToUnicodeString(AnsiString(text));
    out.append(wide.CStr(), static_cast<std::size_t>(wide.Length()));
}

// Owns a file opened for writing by the C library, which takes the wide name as given.
class WrittenFile {
public:
    explicit WrittenFile(const wchar_t* path) : file_(_wfopen(path, L"wb")) {}
    WrittenFile(const WrittenFile&) = delete;
    WrittenFile& operator=(const WrittenFile&) = delete;
    ~WrittenFile()
    {
        if (file_) std::fclose(file_);
    }

    // Writes the units and closes the file; returns whether all of them reached it.
    bool WriteAndClose(const std::wstring& units)
    {
        if (!file_) return false;
        const bool written =
            std::fwrite(units.data(), sizeof(wchar_t), units.size(), file_) == units.size();
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        return written && closed;
    }

private:
    std::FILE* file_;
};

// Why the launcher's refusal is not the one the fix mends, or null when it is.
const char* NotMendable(const Findings& findings)
{
    if (findings.mode != CheckMode::InstalledRuntime)
        return findings.mode == CheckMode::LocalRuntime
                   ? "the launcher starts the Java folder's runtime here and reads no \"JavaHome\""
                   : "with this argument the launcher reads no \"JavaHome\"";
    switch (findings.verdict) {
        case Verdict::Start:
            return "the launcher already starts a runtime here";
        case Verdict::Abnormal:
            return "\"JavaHome\" is there but not text: correct or delete it first";
        case Verdict::Refuse:
            break;
    }
    // Any other refusal has a "JavaHome" the launcher reads: a fix would replace it unseen.
    if (!findings.codeKnown || findings.code != ERROR_FILE_NOT_FOUND)
        return "\"JavaHome\" is set; the launcher refuses for another reason (see the verdict)";
    return nullptr;
}
}  // namespace

int ChooseRuntime(const std::vector<RuntimeElsewhere>& runtimes)
{
    int chosen = -1;
    for (int i = 0; i < static_cast<int>(runtimes.size()); ++i) {
        if (!runtimes[i].usable) continue;
        if (chosen < 0 || Before(runtimes[i], runtimes[chosen])) chosen = i;
    }
    return chosen;
}

UnicodeString RegistryFixText(const UnicodeString& folder, const RuntimeElsewhere& source)
{
    // A line break or other control character cannot stand in a quoted string.
    for (int i = 0; i < folder.Length(); ++i)
        if (folder[i] < 0x20) return UnicodeString();
    std::wstring text =
        L"Windows Registry Editor Version 5.00\r\n\r\n; The Java runtime registered at "
        L"HKEY_LOCAL_MACHINE\\";
    AppendCommentText(text, source.registryKey.CStr());
    text += L"\r\n; (value \"";
    AppendCommentText(text, source.valueName);
    text += L"\", ";
    AppendNarrow(text, RegistryViewName(source.view));
    text +=
        L" registry view), for KorveNembral.exe. It reads \"JavaHome\" below in the\r\n"
        L"; 64-bit view first (on 32-bit Windows, the only one). Import as an administrator\r\n"
        L"; with the 64-bit regedit: double-click, or regedit /s <this file>.\r\n\r\n"
        L"[HKEY_LOCAL_MACHINE\\";
    AppendNarrow(text, LauncherRegistry::kJavaRuntimeKey);
    text += L"]\r\n\"";
    AppendNarrow(text, LauncherRegistry::kJavaRuntimeValue);
    text += L"\"=\"";
    for (int i = 0; i < folder.Length(); ++i) {
        if (folder[i] == L'\\' || folder[i] == L'"') text += L'\\';
        text += folder[i];
    }
    text += L"\"\r\n";
    return UnicodeString(text.c_str(), static_cast<int>(text.size()));
}

RegistryFix WriteRegistryFix(const Findings& findings, const UnicodeString& file)
{
    RegistryFix fix;
    fix.asked = true;
    fix.file = file;
    if (const char* why = NotMendable(findings)) {
        fix.reason = AnsiString(why);
        return fix;
    }
    fix.chosen = ChooseRuntime(findings.runtimesElsewhere);
    if (fix.chosen < 0) {
        fix.reason = AnsiString(findings.runtimesElsewhere.empty()
                                    ? "no Java runtime is registered elsewhere"
                                    : "none of the runtimes registered elsewhere is a Java 8 "
                                      "that runs here");
        return fix;
    }
    const RuntimeElsewhere& chosen = findings.runtimesElsewhere[fix.chosen];
    const UnicodeString text = RegistryFixText(chosen.folder, chosen);
    if (text.IsEmpty()) {
        fix.reason =
            AnsiString("the runtime's folder cannot be written in a registry file as it is");
        return fix;
    }
    // regedit writes its "Version 5.00" files in UTF-16LE with a byte order
    // mark, which carries any folder name unchanged.
    std::wstring units(1, L'\xFEFF');
    units.append(text.CStr(), static_cast<std::size_t>(text.Length()));
    WrittenFile out(file.CStr());
    fix.written = out.WriteAndClose(units);
    if (!fix.written) fix.reason = AnsiString("the file could not be written");
    return fix;
}
