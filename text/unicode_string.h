// Wide text: UTF-16 code units.
#pragma once

#include "text/basic_text.h"

using UnicodeString = BasicText<wchar_t>;
