#include "check/check_command_line.h"

#include <cstring>

#include "platform/arguments.h"

namespace {
const wchar_t kJsonOption[] = L"--json";
const wchar_t kRegFixOption[] = L"--reg-fix";
const wchar_t kLauncherToken[] = L"KorveNembral.exe";

UnicodeString Wide(const wchar_t* text) { return UnicodeString(text); }

bool StartsWithDashes(const UnicodeString& text)
{
    return text.Length() >= 2 && text[0] == L'-' && text[1] == L'-';
}

// The launcher reads only whether there is an argument and what the first one
// is. An argument never holds a quote (the splitting removes them all), so
// quoting it again gives one token that reads back unchanged.
UnicodeString LineWithFirstArgument(const UnicodeString* argument)
{
    const int tokenLength = static_cast<int>(std::wcslen(kLauncherToken));
    const int length = tokenLength + (argument ? argument->Length() + 3 : 0);
    UnicodeString line;
    line.Resize(length);
    wchar_t* out = line.Data();
    std::memcpy(out, kLauncherToken, sizeof(wchar_t) * tokenLength);
    if (argument) {
        out += tokenLength;
        *out++ = L' ';
        *out++ = L'"';
        std::memcpy(out, argument->CStr(), sizeof(wchar_t) * argument->Length());
        out[argument->Length()] = L'"';
    }
    return line;
}
}  // namespace

CheckCommandLine ReadCheckCommandLine()
{
    CheckCommandLine result;
    const int count = ArgumentCount();
    int first = 1;
    // The check's options, each at most once and in either order, come first.
    for (; first <= count; ++first) {
        const UnicodeString option = ArgumentAt(first);
        if (!result.json && TextEquals(option, Wide(kJsonOption))) {
            result.json = true;
        } else if (!result.regFix && TextEquals(option, Wide(kRegFixOption))) {
            result.regFix = true;
            // The file is required, and is not taken for an option.
            if (first == count || StartsWithDashes(ArgumentAt(first + 1))) {
                result.usageError = true;
                return result;
            }
            result.regFixFile = ArgumentAt(++first);
        } else {
            break;
        }
    }
    if (first > count) {
        result.launcherLine = LineWithFirstArgument(nullptr);
        return result;
    }
    const UnicodeString argument = ArgumentAt(first);
    // The launcher takes no options, so "--..." here is a slip of the check's.
    result.usageError = StartsWithDashes(argument);
    result.launcherLine = LineWithFirstArgument(&argument);
    return result;
}
