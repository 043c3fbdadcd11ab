#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "core/image_set.h"
#include "toolkit/errors.h"
#include "toolkit/handles.h"

namespace tovi {

// Each function below that takes a path hands the platform the extended-length
// form of its full path ("\\?\C:\..."), so that paths past 260 characters work
// on every Windows; a message to the user names the plain full path.

// The folder of the running executable, ending in "\", whatever characters it holds.
std::wstring ProgramFolder();

// CreateFileW, but null rather than INVALID_HANDLE_VALUE where it fails (GetLastError tells why).
TUniqueKernelObject OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                             DWORD attributes = FILE_ATTRIBUTE_NORMAL);

// Whether a file or folder of that path exists.
bool FileExists(const std::wstring& path);

// How long the steps of one read or save wait out other programs' brief holds
// on a file, all together: about two seconds from its making. A save that
// reads the file first hands the read the same deadline.
class THoldDeadline {
 public:
  // After a step met a hold: waits a moment and answers true, or false once the time is up.
  bool WaitAMoment() const;

 private:
  DWORD FStart = GetTickCount();
};

// A file opened for reading, or why it could not be: Loaded when it is open;
// Missing when the file, or a folder on its path, does not exist; Unreadable
// otherwise (the path names a folder, the platform refuses the path, or another
// program holds the file past the deadline).
struct TReadableFile {
  TUniqueKernelObject FFile;
  TLoadStatus FStatus = TLoadStatus::Unreadable;
};
TReadableFile OpenForReading(const std::wstring& path, THoldDeadline deadline = {});

// The whole file's bytes: an empty string when it is Missing, nullopt when it
// is Unreadable (as OpenForReading tells) or a read fails.
std::optional<std::string> ReadFileBytes(const std::wstring& path, THoldDeadline deadline = {});

// Replaces the file's content with bytes, never leaving it empty or
// half-written: the bytes are written to a new file, path + ".tmp", which gets
// the old file's attributes and access rights, is flushed, and is then moved
// over the old one. Another program's brief hold on either file is waited out
// until the deadline. Throws WriteRefusal when the file is read-only or any
// step fails; the old file then stays as it was.
void WriteFileSafely(const std::wstring& path, std::string_view bytes, THoldDeadline deadline = {});

// Deletes the temporary file (path + ".tmp") that a save cut short left behind.
void RemoveStrayTemporary(const std::wstring& path);

// The error for a file that cannot be written: "<full path> に書き込めません".
EToviError WriteRefusal(const std::wstring& path);

}  // namespace tovi
