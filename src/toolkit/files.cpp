#include "toolkit/files.h"

#include <aclapi.h>

#include <algorithm>

#include "core/extended_path.h"

namespace tovi {
namespace {

// The attributes a user gives the file, which a save carries over.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A virus scanner, the indexer or a sync client opens a file the moment it
// changes and holds it for a moment: a step that meets such a hold is tried
// again this many milliseconds later, until the read's or the save's time is up.
constexpr DWORD kHoldWait = 50;
constexpr DWORD kHoldTime = 2000;

std::wstring TemporaryOf(const std::wstring& path) { return path + L".tmp"; }

std::wstring FullPath(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return path;
  full.resize(length);
  return full;
}

std::wstring LongPath(const std::wstring& path) { return ExtendedLengthPath(FullPath(path)); }

DWORD ErrorUnless(bool succeeded) { return succeeded ? ERROR_SUCCESS : GetLastError(); }

// Runs a step, which answers ERROR_SUCCESS or why it failed, again while it
// meets another program's hold, until the deadline; answers as its last try
// did. Windows answers a rename over a file that is open, even one shared for
// deletion, with "access denied".
template <typename TStep>
DWORD WaitingOutHolds(TStep step, THoldDeadline deadline, bool renaming = false) {
  for (;;) {
    const DWORD error = step();
    const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                      (renaming && error == ERROR_ACCESS_DENIED);
    if (!held || !deadline.WaitAMoment()) return error;
  }
}

TUniqueKernelObject OpenLongPath(const std::wstring& longPath, DWORD access, DWORD share, DWORD disposition,
                                 DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  const HANDLE file = CreateFileW(longPath.c_str(), access, share, nullptr, disposition, attributes, nullptr);
  return TUniqueKernelObject(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// The old file's access rights: its DACL, and whether that is protected from
// what the folder hands down.
struct TAccessRights {
  TUnique<PSECURITY_DESCRIPTOR, &LocalFree> FDescriptor;  // holds FDacl
  PACL FDacl = nullptr;
  bool FProtected = false;
};

// Whether each entry of the list is one the folder hands down.
bool OnlyInherited(PACL dacl) {
  ACL_SIZE_INFORMATION size{};
  if (dacl == nullptr || !GetAclInformation(dacl, &size, sizeof size, AclSizeInformation)) return false;
  for (DWORD i = 0; i < size.AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace) || !(static_cast<const ACE_HEADER*>(ace)->AceFlags & INHERITED_ACE)) return false;
  }
  return true;
}

// The rights the new file is given, so that the rename does not leave it the
// folder's. None where the file system keeps none (FAT, exFAT), or where the
// old file has only what the folder hands down, which the new one inherits
// alike: the save goes on there as it always has. Where the file has rights
// of its own but they cannot be read, the save is refused rather than let it
// change who may use the file.
std::optional<TAccessRights> AccessRightsOf(const std::wstring& longPath, const std::wstring& path) {
  // Reading the rights touches none of the file's data: no hold stands in the way.
  const TUniqueKernelObject file = OpenLongPath(longPath, READ_CONTROL, kShareAll, OPEN_EXISTING);
  if (!file) throw WriteRefusal(path);
  DWORD flags = 0;
  if (GetVolumeInformationByHandleW(file.Get(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
      !(flags & FILE_PERSISTENT_ACLS))
    return std::nullopt;
  TAccessRights rights;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(file.Get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &rights.FDacl, nullptr,
                      &descriptor) != ERROR_SUCCESS)
    throw WriteRefusal(path);
  rights.FDescriptor.Reset(descriptor);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  rights.FProtected = GetSecurityDescriptorControl(descriptor, &control, &revision) && (control & SE_DACL_PROTECTED);
  if (!rights.FProtected && OnlyInherited(rights.FDacl)) return std::nullopt;
  return rights;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    // WriteFile counts in DWORDs; a megabyte at a time is plenty.
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1 << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// Writes and flushes a whole new file with the attributes and access rights
// given (none: the folder's); false, with nothing left behind, when that fails.
bool WriteNewFile(const std::wstring& longPath, std::string_view bytes, DWORD attributes,
                  const std::optional<TAccessRights>& rights, THoldDeadline deadline) {
  const DWORD access = GENERIC_WRITE | (rights ? READ_CONTROL | WRITE_DAC : 0);
  TUniqueKernelObject file;
  WaitingOutHolds([&] {
    file = OpenLongPath(longPath, access, 0, CREATE_ALWAYS, attributes);
    return ErrorUnless(bool(file));
  }, deadline);
  if (!file) return false;
  // Given through the handle, the rights cannot take away the writing it was opened for.
  const auto giveRights = [&] {
    const DWORD what = DACL_SECURITY_INFORMATION | (rights->FProtected ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                       : UNPROTECTED_DACL_SECURITY_INFORMATION);
    return SetSecurityInfo(file.Get(), SE_FILE_OBJECT, what, nullptr, nullptr, rights->FDacl, nullptr) == ERROR_SUCCESS;
  };
  const bool written = (!rights || giveRights()) && WriteAll(file.Get(), bytes) && FlushFileBuffers(file.Get());
  file.Reset();
  if (!written) DeleteFileW(longPath.c_str());
  return written;
}

}  // namespace

bool THoldDeadline::WaitAMoment() const {
  const DWORD spent = GetTickCount() - FStart;
  if (spent >= kHoldTime) return false;
  Sleep(std::min(kHoldWait, kHoldTime - spent));
  return true;
}

EToviError WriteRefusal(const std::wstring& path) { return EToviError(FullPath(path) + L" に書き込めません"); }

std::wstring ProgramFolder() {
  // Long paths may exceed MAX_PATH: grow the buffer until the name fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) throw EToviError(L"プログラムの場所がわかりません");
    // The module's name is a full path: its folder ends at its last backslash.
    if (length < path.size()) return path.substr(0, path.find_last_of(L'\\', length) + 1);
    path.resize(path.size() * 2);
  }
}

TUniqueKernelObject OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                             DWORD attributes) {
  return OpenLongPath(LongPath(path), access, share, disposition, attributes);
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

TReadableFile OpenForReading(const std::wstring& path, THoldDeadline deadline) {
  const std::wstring longPath = LongPath(path);
  TReadableFile opened;
  const DWORD error = WaitingOutHolds([&] {
    opened.FFile = OpenLongPath(longPath, GENERIC_READ, kShareAll, OPEN_EXISTING);
    return ErrorUnless(bool(opened.FFile));
  }, deadline);
  opened.FStatus = error == ERROR_SUCCESS                                           ? TLoadStatus::Loaded
                   : error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? TLoadStatus::Missing
                                                                                    : TLoadStatus::Unreadable;
  return opened;
}

std::optional<std::string> ReadFileBytes(const std::wstring& path, THoldDeadline deadline) {
  const TReadableFile opened = OpenForReading(path, deadline);
  if (opened.FStatus == TLoadStatus::Missing) return std::string();
  if (!opened.FFile) return std::nullopt;
  std::string bytes;
  char buffer[64 * 1024];
  for (;;) {
    DWORD got = 0;
    // A part of the file another program has locked is read again once it is free.
    const auto read = [&] { return ErrorUnless(ReadFile(opened.FFile.Get(), buffer, sizeof buffer, &got, nullptr)); };
    if (WaitingOutHolds(read, deadline) != ERROR_SUCCESS) return std::nullopt;
    if (got == 0) return bytes;
    bytes.append(buffer, got);
  }
}

void WriteFileSafely(const std::wstring& path, std::string_view bytes, THoldDeadline deadline) {
  const std::wstring target = LongPath(path);
  const std::wstring temporary = TemporaryOf(target);
  // Windows's own profile writer fails on a read-only file; Wine run as root
  // could replace it all the same, so the attribute is asked for itself.
  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) throw WriteRefusal(path);
  // The new file is made with the old one's attributes and rights, so that
  // the one rename that puts it in place keeps them. ReplaceFileW would not
  // do: it moves the old file aside first, and Wine's keeps no attributes and
  // leaves an empty file when the save is killed.
  const DWORD kept = exists ? attributes & kKeptAttributes : 0;
  const std::optional<TAccessRights> rights = exists ? AccessRightsOf(target, path) : std::nullopt;
  if (!WriteNewFile(temporary, bytes, kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL, rights, deadline))
    throw WriteRefusal(path);
  const auto rename = [&] {
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    return ErrorUnless(MoveFileExW(temporary.c_str(), target.c_str(), flags));
  };
  if (WaitingOutHolds(rename, deadline, true) != ERROR_SUCCESS) {
    DeleteFileW(temporary.c_str());
    throw WriteRefusal(path);
  }
}

void RemoveStrayTemporary(const std::wstring& path) { DeleteFileW(TemporaryOf(LongPath(path)).c_str()); }

}  // namespace tovi
