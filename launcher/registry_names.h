// The registry values the launcher reads below HKEY_LOCAL_MACHINE, and the
// access masks, one for each view, with which it reads them.
#pragma once

#include <windows.h>

namespace LauncherRegistry {
inline constexpr char kJavaRuntimeKey[] = "Software\\JavaSoft\\Java Runtime Environment\\1.8";
inline constexpr char kJavaRuntimeValue[] = "JavaHome";
inline constexpr char kProductKey[] = "Software\\Orvantis\\KORVENembral2020_Prod\\Modulo1";
inline constexpr char kProductValue[] = "Executavel";

inline constexpr REGSAM kRead64 = KEY_READ | KEY_WOW64_64KEY;  // 0x20119: the 64-bit view
inline constexpr REGSAM kReadDefault = KEY_READ;  // 0x20019: the process's default view
}  // namespace LauncherRegistry
