// Narrow text: bytes in the process's ANSI code page (see code_page.h).
#pragma once

#include "text/basic_text.h"

using AnsiString = BasicText<char>;
