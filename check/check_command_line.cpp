#include "check/check_command_line.h"

#include <cstring>

#include "platform/arguments.h"

namespace {
const wchar_t kJsonOption[] = L"--json";
const wchar_t kRegFixOption[] = L"--reg-fix";
const wchar_t kDetectOption[] = L"--detect";
const wchar_t kShortcutOption[] = L"--shortcut";
const wchar_t kEndOfOptions[] = L"--";
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
    // The launcher reads only whether it has an argument, and the first one.
    bool hasArgument = false;
    UnicodeString firstArgument;
    bool optionsEnded = false;
    for (int index = 1; index <= count; ++index) {
        const UnicodeString word = ArgumentAt(index);
        if (optionsEnded || !StartsWithDashes(word)) {
            if (!hasArgument) firstArgument = word;
            hasArgument = true;
        } else if (TextEquals(word, Wide(kEndOfOptions))) {
            optionsEnded = true;
        } else if (!result.json && TextEquals(word, Wide(kJsonOption))) {
            result.json = true;
        } else if (!result.detect && TextEquals(word, Wide(kDetectOption))) {
            result.detect = true;
        } else if (!result.regFix && TextEquals(word, Wide(kRegFixOption)) && index < count &&
                   !StartsWithDashes(ArgumentAt(index + 1))) {
            // The file is required, and is not taken for an option.
            result.regFix = true;
            result.regFixFile = ArgumentAt(++index);
        } else if (!result.shortcut && TextEquals(word, Wide(kShortcutOption)) && index < count &&
                   !StartsWithDashes(ArgumentAt(index + 1))) {
            result.shortcut = true;
            result.shortcutFile = ArgumentAt(++index);
        } else {
            result.usageError = true;
        }
    }
    // The shortcut brings its own arguments.
    if (result.shortcut && hasArgument) result.usageError = true;
    // The detection line stands alone: no report and no file beside it.
    if (result.detect && (result.json || result.regFix)) result.usageError = true;
    result.launcherLine = LineWithFirstArgument(hasArgument ? &firstArgument : nullptr);
    return result;
}
