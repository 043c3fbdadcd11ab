#pragma once

#include <string>

namespace tovi {

// The folder of the running executable, ending in "\", whatever characters it holds.
std::wstring ProgramFolder();

}  // namespace tovi
