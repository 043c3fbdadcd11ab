#pragma once

#include <string>
#include <utility>

#include "core/settings.h"

namespace tovi {

// The settings file as the program reads and saves it.
class TSettingsStore {
 public:
  explicit TSettingsStore(std::wstring path) : FPath(std::move(path)) {}

  // The settings in the file, or their defaults where it is missing or cannot
  // be read (another program's hold on it is waited out for about two seconds).
  // A temporary a crashed save left goes first.
  EyeSettings Load();

  // Writes the three settings into the file as it is now, keeping every other
  // line, its attributes and its access rights. Throws EToviError
  // "<full path> に書き込めません" when the file exists but cannot be read, or
  // cannot be written, another program's brief hold waited out; it then stays
  // as it was.
  void Save(const EyeSettings& settings);

  // Saves as Save does, but only settings that came from the file, or from
  // no file at all, or were saved since: defaults that stand in for a file
  // that could not be read must not replace the user's own.
  void SaveAtExit(const EyeSettings& settings) {
    if (FMayReplace) Save(settings);
  }

  // Whether the file, as Load found it, remembers that the hint about eyes
  // hidden by the shell was shown.
  bool OverflowHintShown() const { return FOverflowHintShown; }
  // Remembers it, in the file where it can, keeping every other line.
  void RememberOverflowHint();

 private:
  std::wstring FPath;
  bool FMayReplace = false;
  bool FOverflowHintShown = false;
};

}  // namespace tovi
