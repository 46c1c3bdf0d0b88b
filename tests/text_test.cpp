#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/windows_api.h"
#include "text/ansi_string.h"
#include "text/code_page.h"
#include "text/conversion.h"
#include "text/format.h"
#include "text/unicode_string.h"

namespace {

std::string Bytes(const AnsiString& text) { return std::string(text.CStr(), text.Length()); }
std::wstring Units(const UnicodeString& text) { return std::wstring(text.CStr(), text.Length()); }

AnsiString Narrow(const std::string& bytes)
{
    return AnsiString(bytes.data(), static_cast<int>(bytes.size()));
}
UnicodeString Wide(const std::wstring& units)
{
    return UnicodeString(units.data(), static_cast<int>(units.size()));
}

// ---------------------------------------------------------------------------
// The text value.

TEST(BasicText, ADefaultTextIsEmptyAndOwnsNothing)
{
    AnsiString narrow;
    UnicodeString wide;
    EXPECT_EQ(0, narrow.Length());
    EXPECT_TRUE(narrow.IsEmpty());
    ASSERT_NE(nullptr, narrow.CStr());
    EXPECT_STREQ("", narrow.CStr());
    EXPECT_EQ(nullptr, narrow.Data());
    EXPECT_TRUE(wide.IsEmpty());
    ASSERT_NE(nullptr, wide.CStr());
    EXPECT_STREQ(L"", wide.CStr());
    EXPECT_EQ(nullptr, wide.Data());
}

TEST(BasicText, ATextFromALiteralHoldsItsBytesUnchanged)
{
    const AnsiString text("C:\\Dir \xE9\x80\xFF%s");
    EXPECT_EQ(12, text.Length());
    EXPECT_EQ("C:\\Dir \xE9\x80\xFF%s", Bytes(text));
    EXPECT_EQ('\0', text.CStr()[12]);
    EXPECT_EQ('\xE9', text[7]);
    const UnicodeString wide(L"OLM\x3000");
    EXPECT_EQ(L"OLM\x3000", Units(wide));
}

void ExpectEmpty(const AnsiString& text)
{
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(0, text.Length());
    ASSERT_NE(nullptr, text.CStr());
    EXPECT_STREQ("", text.CStr());
}

TEST(BasicText, EmptySourcesGiveEmptyTexts)
{
    const char* none = nullptr;
    ExpectEmpty(AnsiString(none));
    ExpectEmpty(AnsiString(""));
    ExpectEmpty(AnsiString("abc", 0));
    ExpectEmpty(AnsiString("abc", -4));
}

TEST(BasicText, ACountedSourceKeepsItsZeroUnits)
{
    const AnsiString text("a\0b", 3);
    EXPECT_EQ(3, text.Length());
    EXPECT_EQ(std::string("a\0b", 3), Bytes(text));
    EXPECT_EQ('\0', text.CStr()[3]);
}

TEST(BasicText, ACopyOwnsItsOwnUnits)
{
    const AnsiString original("Java");
    AnsiString copy(original);
    ASSERT_NE(original.CStr(), copy.CStr());
    copy.Data()[0] = 'L';
    EXPECT_EQ("Java", Bytes(original));
    EXPECT_EQ("Lava", Bytes(copy));

    AnsiString assigned("something longer");
    assigned = original;
    EXPECT_EQ("Java", Bytes(assigned));
    EXPECT_NE(original.CStr(), assigned.CStr());

    assigned = AnsiString();
    EXPECT_TRUE(assigned.IsEmpty());
    EXPECT_EQ(nullptr, assigned.Data());

    const AnsiString emptyCopy(assigned);
    EXPECT_TRUE(emptyCopy.IsEmpty());
    EXPECT_STREQ("", emptyCopy.CStr());
}

TEST(BasicText, CopyingATextOntoItselfKeepsIt)
{
    AnsiString text("Java");
    AnsiString& same = text;
    text = same;
    EXPECT_EQ("Java", Bytes(text));
}

TEST(BasicText, AMovedTextLeavesItsSourceEmpty)
{
    AnsiString source("korve2020.jar");
    const char* units = source.CStr();
    AnsiString moved(std::move(source));
    EXPECT_EQ(units, moved.CStr());  // taken over, not copied
    EXPECT_EQ("korve2020.jar", Bytes(moved));
    EXPECT_TRUE(source.IsEmpty());  // NOLINT: the moved-from state is specified
    ASSERT_NE(nullptr, source.CStr());
    EXPECT_STREQ("", source.CStr());
    EXPECT_EQ(nullptr, source.Data());

    AnsiString target("old");
    target = std::move(moved);
    EXPECT_EQ("korve2020.jar", Bytes(target));
    EXPECT_TRUE(moved.IsEmpty());  // NOLINT
    EXPECT_STREQ("", moved.CStr());
}

TEST(BasicText, MovingATextOntoItselfKeepsIt)
{
    AnsiString text("Java");
    AnsiString& same = text;
    text = std::move(same);
    EXPECT_EQ(4, text.Length());
    EXPECT_EQ("Java", Bytes(text));
}

TEST(BasicText, GrowingKeepsTheUnitsAndFillsWithZeros)
{
    AnsiString text("abc");
    text.Resize(6);
    EXPECT_EQ(6, text.Length());
    EXPECT_EQ(std::string("abc\0\0\0", 6), Bytes(text));
    EXPECT_EQ('\0', text.CStr()[6]);

    AnsiString empty;
    empty.Resize(2);
    EXPECT_EQ(std::string("\0\0", 2), Bytes(empty));
    ASSERT_NE(nullptr, empty.Data());
}

TEST(BasicText, ShrinkingKeepsTheFirstUnitsAndTerminates)
{
    UnicodeString text(L"C:\\Dir\\Java");
    text.Resize(6);
    EXPECT_EQ(L"C:\\Dir", Units(text));
    EXPECT_EQ(L'\0', text.CStr()[6]);
    EXPECT_STREQ(L"C:\\Dir", text.CStr());
}

TEST(BasicText, ResizingToZeroOrLessDropsTheStorage)
{
    for (int length : {0, -1, INT_MIN}) {
        AnsiString text("abc");
        text.Resize(length);
        EXPECT_TRUE(text.IsEmpty());
        EXPECT_EQ(nullptr, text.Data());
        EXPECT_STREQ("", text.CStr());
    }
}

// ---------------------------------------------------------------------------
// Conversions under Wine, in the prefix's ANSI code page.

TEST(CodePage, IsThePlatformsAnsiCodePage) { EXPECT_EQ(::GetACP(), AnsiCodePage()); }

class WesternCodePage : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (AnsiCodePage() != 1252) GTEST_SKIP() << "the rows are for code page 1252";
    }
};

struct WideToNarrow {
    std::wstring wide;
    std::string narrow;
};

const WideToNarrow kWideToNarrow[] = {
    {L"OLM", "OLM"},
    {L"C:\\Program Files\\App", "C:\\Program Files\\App"},
    {L"A\x00E7\x00E3o \x20AC", "A\xE7\xE3o \x80"},
    {std::wstring(L"a\0b", 3), std::string("a\0b", 3)},
    // Characters the code page lacks come out as the platform's replacement.
    {L"a\x4E2D"
     L"b",
     "a?b"},
    {L"\x0394", "?"},
    {L"\xD83D\xDE00", "??"},
    {L"\xD800", "?"},
    {L"", ""},
};

TEST_F(WesternCodePage, WideTextBecomesNarrowTextWithReplacements)
{
    for (const WideToNarrow& row : kWideToNarrow) {
        const AnsiString narrow = ToAnsiString(Wide(row.wide));
        EXPECT_EQ(row.narrow, Bytes(narrow)) << "from " << row.narrow;
        ASSERT_NE(nullptr, narrow.CStr());
    }
}

TEST_F(WesternCodePage, NarrowTextBecomesWideText)
{
    const struct {
        std::string narrow;
        std::wstring wide;
    } rows[] = {
        {"OLM", L"OLM"},
        {"A\xE7\xE3o \x80", L"A\x00E7\x00E3o \x20AC"},
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
        {"", L""},
    };
    for (const auto& row : rows) {
        const UnicodeString wide = ToUnicodeString(Narrow(row.narrow));
        EXPECT_EQ(row.wide, Units(wide)) << "from " << row.narrow;
        ASSERT_NE(nullptr, wide.CStr());
    }
}

TEST(Conversion, EveryByteComesBackFromWideText)
{
    std::string bytes;
    for (int value = 1; value < 256; ++value) bytes += static_cast<char>(value);
    const UnicodeString wide = ToUnicodeString(Narrow(bytes));
    EXPECT_FALSE(wide.IsEmpty());
    EXPECT_EQ(bytes, Bytes(ToAnsiString(wide)));
}

TEST(Conversion, TextTheCodePageHoldsComesBackFromNarrowText)
{
    const std::wstring text = L"C:\\Users\\Jo\x00E3o\\Documents\\korve2020.jar";
    EXPECT_EQ(text, Units(ToUnicodeString(ToAnsiString(Wide(text)))));
}

TEST(Conversion, EmptyTextsConvertToEmptyTexts)
{
    const AnsiString narrow = ToAnsiString(UnicodeString());
    EXPECT_TRUE(narrow.IsEmpty());
    EXPECT_STREQ("", narrow.CStr());
    const UnicodeString wide = ToUnicodeString(AnsiString());
    EXPECT_TRUE(wide.IsEmpty());
    EXPECT_STREQ(L"", wide.CStr());
}

// ---------------------------------------------------------------------------
// Conversions at the seam: the exact arguments and the lengths reported.

class ConversionWindows : public WindowsApi {
public:
    ConversionWindows() : scope_(*this) {}

    struct Call {
        UINT codePage;
        DWORD flags;
        int sourceLength;
        bool hasOutput;
        int outputSize;
        bool hasDefaultChar;
        bool hasUsedDefaultChar;
    };

    int reported = 0;  // what the counting call reports
    int written = 0;   // what the filling call reports

    int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH, int wideLength, LPSTR narrow,
                            int narrowSize, LPCCH defaultChar, LPBOOL usedDefaultChar) override
    {
        calls.push_back({codePage, flags, wideLength, narrow != nullptr, narrowSize,
                         defaultChar != nullptr, usedDefaultChar != nullptr});
        if (!narrow) return reported;
        for (int i = 0; i < written && i < narrowSize; ++i) narrow[i] = 'n';
        return written;
    }
    int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH, int narrowLength, LPWSTR wide,
                            int wideSize) override
    {
        calls.push_back({codePage, flags, narrowLength, wide != nullptr, wideSize, false, false});
        if (!wide) return reported;
        for (int i = 0; i < written && i < wideSize; ++i) wide[i] = L'w';
        return written;
    }

    std::vector<Call> calls;

private:
    ScopedWindowsApi scope_;
};

TEST(ConversionAtTheSeam, NarrowingCountsThenFillsWithTheAnsiCodePage)
{
    ConversionWindows windows;
    windows.reported = windows.written = 8;  // more bytes than units, as in a double-byte page
    const AnsiString narrow = ToAnsiString(UnicodeString(L"abcd"));
    EXPECT_EQ("nnnnnnnn", Bytes(narrow));
    ASSERT_EQ(2u, windows.calls.size());
    for (const ConversionWindows::Call& call : windows.calls) {
        EXPECT_EQ(AnsiCodePage(), call.codePage);
        EXPECT_EQ(0u, call.flags);
        EXPECT_EQ(4, call.sourceLength);
        EXPECT_FALSE(call.hasDefaultChar);
        EXPECT_FALSE(call.hasUsedDefaultChar);
    }
    EXPECT_FALSE(windows.calls[0].hasOutput);
    EXPECT_EQ(0, windows.calls[0].outputSize);
    EXPECT_TRUE(windows.calls[1].hasOutput);
    EXPECT_EQ(8, windows.calls[1].outputSize);
}

TEST(ConversionAtTheSeam, NarrowingThatCountsNothingGivesEmptyText)
{
    for (int reported : {0, -1}) {
        ConversionWindows windows;
        windows.reported = reported;
        const AnsiString narrow = ToAnsiString(UnicodeString(L"abcd"));
        EXPECT_TRUE(narrow.IsEmpty());
        EXPECT_STREQ("", narrow.CStr());
        EXPECT_EQ(1u, windows.calls.size());
    }
}

TEST(ConversionAtTheSeam, WideningHoldsExactlyTheUnitsTheFillingCallReports)
{
    ConversionWindows windows;
    windows.reported = 5;
    windows.written = 3;
    const UnicodeString wide = ToUnicodeString(AnsiString("abcde"));
    EXPECT_EQ(L"www", Units(wide));
    ASSERT_EQ(2u, windows.calls.size());
    for (const ConversionWindows::Call& call : windows.calls) {
        EXPECT_EQ(AnsiCodePage(), call.codePage);
        EXPECT_EQ(0u, call.flags);
        EXPECT_EQ(5, call.sourceLength);
    }
    EXPECT_FALSE(windows.calls[0].hasOutput);
    EXPECT_EQ(5, windows.calls[1].outputSize);
}

TEST(ConversionAtTheSeam, WideningThatReportsNothingGivesEmptyText)
{
    ConversionWindows counting;
    counting.reported = 0;
    EXPECT_TRUE(ToUnicodeString(AnsiString("abc")).IsEmpty());

    ConversionWindows filling;
    filling.reported = 3;
    filling.written = 0;
    const UnicodeString wide = ToUnicodeString(AnsiString("abc"));
    EXPECT_TRUE(wide.IsEmpty());
    EXPECT_STREQ(L"", wide.CStr());
}

// ---------------------------------------------------------------------------
// Formatting.

// Each row runs its template and values through FormatText or, with
// `append`, through AppendFormattedText, so both are checked at compile time.
#define FORMAT_OR_APPEND(text, append, ...) \
    ((append) ? AppendFormattedText(text, __VA_ARGS__) : FormatText(text, __VA_ARGS__))

struct FormatCase {
    const char* name;
    void (*format)(AnsiString& text, bool append);
    std::string expected;
};

void PrintTo(const FormatCase& row, std::ostream* out) { *out << row.name; }

class Formatting : public ::testing::TestWithParam<FormatCase> {};

TEST_P(Formatting, ReplacesTheTextWithTheResult)
{
    AnsiString text("previous content, longer than most results");
    GetParam().format(text, false);
    EXPECT_EQ(GetParam().expected, Bytes(text));
    ASSERT_NE(nullptr, text.CStr());
    EXPECT_EQ('\0', text.CStr()[text.Length()]);
}

TEST_P(Formatting, AppendsTheResultToTheText)
{
    AnsiString text("C:\\Dir");
    GetParam().format(text, true);
    EXPECT_EQ("C:\\Dir" + GetParam().expected, Bytes(text));
    EXPECT_EQ('\0', text.CStr()[text.Length()]);
}

const FormatCase kFormatCases[] = {
    {"a value", [](AnsiString& t, bool a) { FORMAT_OR_APPEND(t, a, "%s\\Java", "C:\\Dir"); },
     "C:\\Dir\\Java"},
    {"two values", [](AnsiString& t, bool a) { FORMAT_OR_APPEND(t, a, "\"%s\" %s", "a b", "c"); },
     "\"a b\" c"},
    {"percent signs in a value",
     [](AnsiString& t, bool a) { FORMAT_OR_APPEND(t, a, "%s\\Java", "C:\\100%\\%d%s%n%%"); },
     "C:\\100%\\%d%s%n%%\\Java"},
    {"an empty value", [](AnsiString& t, bool a) { FORMAT_OR_APPEND(t, a, "[%s]", ""); }, "[]"},
    {"an empty text as value",
     [](AnsiString& t, bool a) { FORMAT_OR_APPEND(t, a, "[%s]", AnsiString().CStr()); }, "[]"},
    {"a negative number", [](AnsiString& t, bool a) { FORMAT_OR_APPEND(t, a, "%d", -5); }, "-5"},
    {"zero", [](AnsiString& t, bool a) { FORMAT_OR_APPEND(t, a, "%d", 0); }, "0"},
    {"the smallest number", [](AnsiString& t, bool a) { FORMAT_OR_APPEND(t, a, "%d", INT_MIN); },
     "-2147483648"},
    {"the largest number", [](AnsiString& t, bool a) { FORMAT_OR_APPEND(t, a, "%d", INT_MAX); },
     "2147483647"},
    {"the failure message",
     [](AnsiString& t, bool a) { FORMAT_OR_APPEND(t, a, "Erro %d ao executar o aplicativo.", 2); },
     "Erro 2 ao executar o aplicativo."},
    {"bytes above 127",
     [](AnsiString& t, bool a) { FORMAT_OR_APPEND(t, a, "\xE9%s\xFF", "\x80\xE3"); },
     "\xE9\x80\xE3\xFF"},
    {"a template without conversions",
     [](AnsiString& t, bool a) { FORMAT_OR_APPEND(t, a, "-jar"); }, "-jar"},
    {"nothing at all", [](AnsiString& t, bool a) { FORMAT_OR_APPEND(t, a, "%s", ""); }, ""},
};

INSTANTIATE_TEST_SUITE_P(Table, Formatting, ::testing::ValuesIn(kFormatCases));

TEST(FormatText, AnEmptyResultLeavesAnEmptyTextWithoutStorage)
{
    AnsiString text("previous");
    FormatText(text, "%s", "");
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(nullptr, text.Data());
    ASSERT_NE(nullptr, text.CStr());
    EXPECT_STREQ("", text.CStr());
}

TEST(FormatText, AResultLongerThanAnyBufferComesWhole)
{
    // Counting what does not fit is what makes results of any length possible.
    const std::string path(70000, 'p');
    AnsiString text("short");
    FormatText(text, "\"%s\\bin\\Javaw.exe\" %d", path.c_str(), INT_MIN);
    const std::string expected = "\"" + path + "\\bin\\Javaw.exe\" -2147483648";
    EXPECT_EQ(static_cast<int>(expected.size()), text.Length());
    EXPECT_EQ(expected, Bytes(text));
}

int CountedBySmallBuffer(char* buffer, size_t size, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const int n = std::vsnprintf(buffer, size, format, arguments);
    va_end(arguments);
    return n;
}

TEST(FormatText, TheBuildsVsnprintfCountsWhatDoesNotFit)
{
    // The system's own vsnprintf gives -1 here; formatting relies on the count.
    const std::string path(70000, 'p');
    char small[4] = {};
    EXPECT_EQ(70000, CountedBySmallBuffer(small, sizeof small, "%s", path.c_str()));
    EXPECT_STREQ("ppp", small);
}

TEST(FormatText, AValueFromTheTextItselfIsReadBeforeTheTextChanges)
{
    AnsiString text("C:\\Program Files\\Korve\\Java");
    FormatText(text, "[%s]", text.CStr());
    EXPECT_EQ("[C:\\Program Files\\Korve\\Java]", Bytes(text));
}

TEST(AppendFormattedText, AppendsToAnEmptyText)
{
    AnsiString text;
    AppendFormattedText(text, "%s -jar", "\"C:\\Java\\bin\\Javaw.exe\"");
    EXPECT_EQ("\"C:\\Java\\bin\\Javaw.exe\" -jar", Bytes(text));
}

TEST(AppendFormattedText, KeepsWhatWasThereAndAppendsAfterIt)
{
    AnsiString text("\"C:\\Java\\bin\\Javaw.exe\" -Xms512m -Xmx1024m");
    AppendFormattedText(text, " -jar \"%s\\korve2020.jar\" --start", "C:\\100%\\App");
    EXPECT_EQ(
        "\"C:\\Java\\bin\\Javaw.exe\" -Xms512m -Xmx1024m -jar "
        "\"C:\\100%\\App\\korve2020.jar\" --start",
        Bytes(text));
    EXPECT_EQ('\0', text.CStr()[text.Length()]);
}

TEST(AppendFormattedText, AnEmptyResultLeavesTheTextAsItWas)
{
    AnsiString text("C:\\Dir");
    AppendFormattedText(text, "%s", "");
    EXPECT_EQ("C:\\Dir", Bytes(text));
    AnsiString empty;
    AppendFormattedText(empty, "%s", "");
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_STREQ("", empty.CStr());
}

TEST(AppendFormattedText, NumbersAppendInDecimal)
{
    AnsiString text("n=");
    AppendFormattedText(text, "%d,%d,%d", INT_MIN, 0, INT_MAX);
    EXPECT_EQ("n=-2147483648,0,2147483647", Bytes(text));
}

TEST(AppendFormattedText, ALongResultAppendsWhole)
{
    const std::string value(50000, 'v');
    AnsiString text(std::string(3000, 'c').c_str());
    AppendFormattedText(text, "<%s>", value.c_str());
    EXPECT_EQ(std::string(3000, 'c') + "<" + value + ">", Bytes(text));
}

TEST(AppendFormattedText, AValueFromTheTextItselfIsReadBeforeTheTextChanges)
{
    AnsiString text("C:\\Program Files\\Korve\\Java");
    AppendFormattedText(text, "|%s", text.CStr());
    EXPECT_EQ("C:\\Program Files\\Korve\\Java|C:\\Program Files\\Korve\\Java", Bytes(text));
}

}  // namespace
