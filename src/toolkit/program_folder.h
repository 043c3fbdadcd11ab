#pragma once

#include <string>

namespace tovi {

// The folder of the running executable, ending in "\", whatever characters it holds.
std::wstring ProgramFolder();

// The folder part of a full path: up to and including its last "\" or ":",
// with a "\" added where it does not end in one.
std::wstring FolderOf(const std::wstring& path);

}  // namespace tovi
