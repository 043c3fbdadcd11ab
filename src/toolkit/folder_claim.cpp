#include "toolkit/folder_claim.h"

#include <utility>

#include "core/claim_name.h"
#include "toolkit/errors.h"
#include "toolkit/files.h"

namespace tovi {
namespace {

// The file system's own path of the folder: its long names in its own case,
// past junctions, links and substituted drives; the spelling given where the
// folder cannot be opened.
std::wstring FinalFolderPath(const std::wstring& folder) {
  // Only the name is wanted: no access, and backup semantics to open a folder.
  const TUniqueKernelObject handle = OpenFile(folder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (!handle) return folder;
  // A drive letter names a mapped network drive by its share; a volume
  // without a letter has only its device's name.
  for (const DWORD kind : {VOLUME_NAME_DOS, VOLUME_NAME_NT}) {
    std::wstring path(GetFinalPathNameByHandleW(handle.Get(), nullptr, 0, kind), L'\0');
    const DWORD length = GetFinalPathNameByHandleW(handle.Get(), path.data(), static_cast<DWORD>(path.size()), kind);
    if (length != 0 && length < path.size()) return path.substr(0, length);
  }
  return folder;
}

}  // namespace

TFolderClaim::TFolderClaim(const std::wstring& folder) {
  const std::wstring path = FinalFolderPath(folder);
  const std::string name = FolderClaimName({reinterpret_cast<const char16_t*>(path.data()), path.size()});
  TUniqueKernelObject mutex(CreateMutexW(nullptr, FALSE, std::wstring(name.begin(), name.end()).c_str()));
  const DWORD error = GetLastError();
  // An elevated copy's object refuses one that is not elevated: the folder is held all the same.
  FHeldElsewhere = mutex ? error == ERROR_ALREADY_EXISTS : error == ERROR_ACCESS_DENIED;
  FMutex = std::move(mutex);
}

TFolderClaim ClaimProgramFolder() {
  try {
    return TFolderClaim(ProgramFolder());
  } catch (const EToviError&) {
    return {};
  }
}

}  // namespace tovi
