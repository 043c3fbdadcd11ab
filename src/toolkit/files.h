#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/image_set.h"
#include "toolkit/errors.h"
#include "toolkit/handles.h"

namespace tovi {

// Every file call below takes a path by the extended-length form of its full
// path, so that paths past 260 characters work on every Windows; what they
// tell the user names the plain full path.

// The folder of the running executable, ending in "\", whatever characters it holds.
std::wstring ProgramFolder();

// CreateFileW; null, not INVALID_HANDLE_VALUE, where it fails (GetLastError tells why).
TUniqueKernelObject OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                             DWORD attributes = FILE_ATTRIBUTE_NORMAL);

// Whether a file or folder of that path exists.
bool FileExists(const std::wstring& path);

// A file opened to be read, or why it was not: Missing where no file or folder
// of its path exists, Unreadable for anything else (a folder, a path the
// platform refuses, another program's hold that outlasts a wait of about two
// seconds); Loaded once it is open.
struct TReadableFile {
  TUniqueKernelObject FFile;
  TLoadStatus FStatus = TLoadStatus::Unreadable;
};
TReadableFile OpenForReading(const std::wstring& path);

// The whole file: no bytes when it is missing, nothing when it exists but
// cannot be read (as OpenForReading has it).
std::optional<std::string> ReadFileBytes(const std::wstring& path);

// Puts bytes in place of the file, never leaving it empty or half-written: a
// complete new file path + ".tmp", with the old one's attributes and access
// rights, is written, flushed and moved over it. Another program's brief hold
// on either file is waited out, about two seconds at most. Throws WriteRefusal
// when the file is read-only or anything fails; the old file then stays as it was.
void WriteFileSafely(const std::wstring& path, std::string_view bytes);

// Deletes the temporary a save cut short left beside the file.
void RemoveStrayTemporary(const std::wstring& path);

// The error of a file that cannot be written: "<full path> に書き込めません".
EToviError WriteRefusal(const std::wstring& path);

}  // namespace tovi
