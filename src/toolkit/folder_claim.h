#pragma once

#include <windows.h>

#include <string>

#include "toolkit/handles.h"

namespace tovi {

// One copy of the program at a time runs from a folder in the session, as the
// copies would show four eyes and undo each other's saves. The claim is held
// while the object lives, and goes with the process however it ends.
class TFolderClaim {
 public:
  // Nothing claimed.
  TFolderClaim() = default;
  // Claims the folder, by whatever spelling it is named.
  explicit TFolderClaim(const std::wstring& folder);

  // Whether another copy holds the folder: this one leaves it and its files alone.
  bool HeldElsewhere() const { return FHeldElsewhere; }

 private:
  TUniqueKernelObject FMutex;
  bool FHeldElsewhere = false;
};

// The claim on the folder of the running program; nothing where the folder
// cannot be named, which the main form reports as it looks for its pictures.
TFolderClaim ClaimProgramFolder();

}  // namespace tovi
