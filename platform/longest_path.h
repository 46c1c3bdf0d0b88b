// The longest path the platform handles.
#pragma once

// In code units, the terminating 0 not counted: 32,767, the limit of a path
// with the "\\?\" prefix.
inline constexpr int kLongestPathLength = 32767;
