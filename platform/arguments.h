// The process's command line split into arguments, its current directory, the
// directory test, and the upper-casing and comparison of wide text. Each call
// asks the platform afresh; nothing is kept between calls.
#pragma once

#include "text/unicode_string.h"

// Returns the number of arguments after the program token, 0 or more; never throws.
int ArgumentCount();

// Returns the executable's full path for 0, the argument for 1 to
// ArgumentCount() (never empty), empty text for any other index; never throws
// but for lack of memory.
UnicodeString ArgumentAt(int index);

// Returns the current directory in the platform's own form: a drive root ends
// with its separator, any other directory has none; empty text when the
// platform cannot give it. Never throws but for lack of memory.
UnicodeString CurrentDirectory();

// Returns whether `path` names an existing directory, a link judged by its
// target (by its own attributes when `followLinks` is false); errors that do
// not prove the path absent count as existing. `path` reaches the platform
// unchanged. Never throws.
bool IsExistingDirectory(const UnicodeString& path, bool followLinks);

// Returns a copy of `text` with its letters upper-cased, of the same length;
// never throws but for lack of memory.
UnicodeString UpperCaseText(const UnicodeString& text);

// Returns whether both texts are the same sequence of code units; never throws.
bool TextEquals(const UnicodeString& a, const UnicodeString& b);
