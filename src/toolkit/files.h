#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "toolkit/errors.h"

namespace tovi {

// The folder of the running executable, ending in "\", whatever characters it holds.
std::wstring ProgramFolder();

// The whole file: no bytes when it is missing, nothing when it exists but
// cannot be read (another program holds it, or it is a folder).
std::optional<std::string> ReadFileBytes(const std::wstring& path);

// Puts bytes in place of the file, never leaving it empty or half-written: a
// complete new file path + ".tmp", with the old one's attributes, is written,
// flushed and moved over it. Throws WriteRefusal when the file is read-only
// or anything fails; the old file then stays as it was.
void WriteFileSafely(const std::wstring& path, std::string_view bytes);

// Deletes the temporary a save cut short left beside the file.
void RemoveStrayTemporary(const std::wstring& path);

// The error of a file that cannot be written: "<full path> に書き込めません".
EToviError WriteRefusal(const std::wstring& path);

}  // namespace tovi
