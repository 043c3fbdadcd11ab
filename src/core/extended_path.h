#pragma once

#include <string>
#include <string_view>

namespace tovi {

// The extended-length form of a full path ("\\?\C:\...", "\\?\UNC\server\share\..."),
// which the platform's file calls take past 260 characters on every Windows,
// whether the program is long-path aware or not. That form skips the
// platform's clean-up of '/', "." and "..", so it is made from a full path as
// GetFullPathNameW gives it. A path already in a device's form ("\\?\",
// "\\.\", "\??\") stays as it is, and so does one that is not full: no
// extended form names it.
std::wstring ExtendedLengthPath(std::wstring_view fullPath);

}  // namespace tovi
