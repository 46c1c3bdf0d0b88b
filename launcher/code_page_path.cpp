#include "launcher/code_page_path.h"

#include <utility>

#include "platform/arguments.h"
#include "platform/longest_path.h"
#include "platform/thread_error_mode.h"
#include "platform/windows_api.h"
#include "text/conversion.h"
#include "text/format.h"

namespace {
// The best-fit conversion writes a look-alike for a character the code page
// lacks (U+0166 "T with stroke" becomes "T": "\u0166win" names the folder
// "Twin"); only text that reads back the same names what it says.
bool WritesExactly(const UnicodeString& wide, const AnsiString& narrow)
{
    return TextEquals(ToUnicodeString(narrow), wide);
}

// Returns the short name of the last component of `path`; empty when the
// platform gives none. Where a volume makes no short names the platform gives
// the long name back, which the caller then finds the code page cannot write.
UnicodeString ShortNameOfLast(const UnicodeString& path)
{
    WindowsApi& api = Windows();
    const DWORD size = api.GetShortPathNameW(path.CStr(), nullptr, 0);
    if (size == 0) return UnicodeString();
    UnicodeString shortPath;
    shortPath.Resize(static_cast<int>(size));
    const DWORD length = api.GetShortPathNameW(path.CStr(), shortPath.Data(), size);
    // A length of `size` or more is a size again: the path changed meanwhile.
    if (length == 0 || length >= size) return UnicodeString();
    int start = static_cast<int>(length);
    while (start > 0 && !IsPathSeparator(shortPath[start - 1])) --start;
    return UnicodeString(shortPath.CStr() + start, static_cast<int>(length) - start);
}
}  // namespace

bool WritesInCodePage(const UnicodeString& path) { return WritesExactly(path, ToAnsiString(path)); }

DWORD ToCodePagePath(const UnicodeString& path, AnsiString& narrow)
{
    narrow = ToAnsiString(path);
    if (WritesExactly(path, narrow)) return ERROR_SUCCESS;
    narrow = AnsiString();

    // The templates end a path at its first 0, so the components do too.
    const UnicodeString whole(path.CStr());
    // No file system names a longer path, so it has no short form either; and
    // a registry value of any length would otherwise be joined piece by piece.
    if (whole.Length() > kLongestPathLength) return ERROR_NO_UNICODE_TRANSLATION;
    const wchar_t* units = whole.CStr();
    // Short names are read from the volume: an empty drive fails instead of asking the user.
    const ThreadErrorModeScope failCriticalErrors;
    AnsiString written;
    int start = 0;
    for (int end = 0; end <= whole.Length(); ++end) {
        if (end < whole.Length() && !IsPathSeparator(units[end])) continue;
        UnicodeString component(units + start, end - start);
        AnsiString piece = ToAnsiString(component);
        if (!WritesExactly(component, piece)) {
            component = ShortNameOfLast(UnicodeString(units, end));
            piece = ToAnsiString(component);
            if (component.IsEmpty() || !WritesExactly(component, piece))
                return ERROR_NO_UNICODE_TRANSLATION;
        }
        const char* separator = end == whole.Length() ? "" : units[end] == L'/' ? "/" : "\\";
        AppendFormattedText(written, "%s%s", piece.CStr(), separator);
        start = end + 1;
    }
    narrow = std::move(written);
    return ERROR_SUCCESS;
}
