#include "platform/arguments.h"

#include "platform/longest_path.h"
#include "platform/windows_api.h"
#include "platform/windows_handles.h"

namespace {
const wchar_t kQuote = L'"';

// Code units compare as unsigned 16-bit values: everything above 32 is an
// ordinary character, non-ASCII spaces included.
unsigned UnitValue(wchar_t unit) { return static_cast<unsigned short>(unit); }
bool IsSeparator(wchar_t unit) { return UnitValue(unit) >= 1 && UnitValue(unit) <= 32; }
bool IsTokenUnit(wchar_t unit) { return UnitValue(unit) > 32; }

// Returns the command line as the platform holds it now; an absent one reads as empty.
const wchar_t* CommandLine()
{
    const wchar_t* line = Windows().GetCommandLineW();
    return line ? line : L"";
}

// Returns where the next token begins: past separators and past quote pairs
// standing in front of it, in any mix.
const wchar_t* SkipToToken(const wchar_t* position)
{
    for (;;) {
        while (IsSeparator(*position)) ++position;
        // position[1] is at worst the terminating 0, since position[0] is a quote.
        if (position[0] != kQuote || position[1] != kQuote) return position;
        position += 2;
    }
}

// Walks one token that begins at `position`, stores its units (quotes left out)
// into `units` when given, and counts them into `length`. Returns the position
// after the token: its first separator outside a quoted section, or the end.
const wchar_t* WalkToken(const wchar_t* position, wchar_t* units, int& length)
{
    length = 0;
    while (IsTokenUnit(*position)) {
        if (*position == kQuote) {
            ++position;
            // A section never closed runs to the end of the command line.
            while (*position != 0 && *position != kQuote) {
                if (units) units[length] = *position;
                ++length;
                ++position;
            }
            if (*position == kQuote) ++position;
        } else {
            if (units) units[length] = *position;
            ++length;
            ++position;
        }
    }
    return position;
}

// Reads one token from `position` into `token`; returns where the next read starts.
const wchar_t* ReadToken(const wchar_t* position, UnicodeString& token)
{
    const wchar_t* start = SkipToToken(position);
    int length = 0;
    WalkToken(start, nullptr, length);
    token.Resize(length);
    return WalkToken(start, token.Data(), length);
}

// Skips one token without keeping it; returns its length and moves `position` past it.
int SkipToken(const wchar_t*& position)
{
    int length = 0;
    position = WalkToken(SkipToToken(position), nullptr, length);
    return length;
}

// A buffer for the longest path, its terminating 0 included.
const DWORD kLongestPathBuffer = kLongestPathLength + 1;

// Returns the own executable's path. The first call uses 261 units, enough for
// any path within MAX_PATH. A path that fills the buffer was cut short, and a
// cut path would name another file: the call is repeated with a larger
// buffer, and a path too long even for the longest buffer gives empty text.
UnicodeString ExecutablePath()
{
    DWORD size = MAX_PATH + 1;
    for (;;) {
        UnicodeString path;
        path.Resize(static_cast<int>(size));
        const DWORD written = Windows().GetModuleFileNameW(nullptr, path.Data(), size);
        if (written == 0) return UnicodeString();
        if (written < size) {
            path.Resize(static_cast<int>(written));
            return path;
        }
        if (size >= kLongestPathBuffer) return UnicodeString();
        size = size * 2 > kLongestPathBuffer ? kLongestPathBuffer : size * 2;
    }
}

// Whether a failed attribute read proves the path absent. Any other failure
// (no access, a sharing conflict, ...) means something is there.
bool ProvesAbsent(DWORD error)
{
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_NOT_READY:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return true;
        default:
            return false;
    }
}
}  // namespace

int ArgumentCount()
{
    const wchar_t* position = CommandLine();
    SkipToken(position);  // the program token
    int count = 0;
    // Only the end of the command line yields an empty token.
    while (SkipToken(position) > 0) ++count;
    return count;
}

UnicodeString ArgumentAt(int index)
{
    if (index == 0) return ExecutablePath();
    // A negative index would never count down to 0 and run into the end.
    if (index < 0) return UnicodeString();
    const wchar_t* position = CommandLine();
    UnicodeString token;
    position = ReadToken(position, token);  // the program token
    while (index != 0 && !token.IsEmpty()) {
        --index;
        position = ReadToken(position, token);
    }
    return token;
}

UnicodeString CurrentDirectory()
{
    // 261 units hold any directory within MAX_PATH. When the platform fails,
    // the result is empty text. When the directory does not fit, the platform
    // reports the size it needs and leaves the buffer undefined: the call is
    // repeated with that size (the directory may change in between, hence a
    // few attempts), and a size beyond the longest path or still not enough
    // gives empty text rather than a wrong directory.
    DWORD size = MAX_PATH + 1;
    for (int attempt = 0; attempt < 4; ++attempt) {
        UnicodeString directory;
        directory.Resize(static_cast<int>(size));
        const DWORD reported = Windows().GetCurrentDirectoryW(size, directory.Data());
        if (reported == 0) return UnicodeString();
        if (reported < size) {
            int length = 0;
            while (length < static_cast<int>(reported) && directory[length] != 0) ++length;
            directory.Resize(length);
            return directory;
        }
        if (reported > kLongestPathBuffer) return UnicodeString();
        size = reported > size ? reported : size + 1;
    }
    return UnicodeString();
}

bool IsExistingDirectory(const UnicodeString& path, bool followLinks)
{
    WindowsApi& api = Windows();
    const DWORD attributes = api.GetFileAttributesW(path.CStr());
    if (attributes == INVALID_FILE_ATTRIBUTES) return !ProvesAbsent(api.GetLastError());
    const bool directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // Without following, a link is judged by its own attributes.
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 || !followLinks) return directory;
    // Opening without FILE_FLAG_OPEN_REPARSE_POINT follows the link: a link
    // whose target is gone does not open.
    UniqueFileHandle target(api.CreateFileW(path.CStr(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (target.IsEmpty()) return false;
    target.Reset();
    return directory;
}

UnicodeString UpperCaseText(const UnicodeString& text)
{
    if (text.IsEmpty()) return UnicodeString();
    UnicodeString upper(text);
    Windows().CharUpperBuffW(upper.Data(), static_cast<DWORD>(upper.Length()));
    return upper;
}

bool TextEquals(const UnicodeString& a, const UnicodeString& b)
{
    if (a.Length() != b.Length()) return false;
    for (int i = 0; i < a.Length(); ++i)
        if (a[i] != b[i]) return false;
    return true;
}
