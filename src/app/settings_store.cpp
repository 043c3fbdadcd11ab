#include "app/settings_store.h"

#include "toolkit/files.h"

namespace tovi {

EyeSettings TSettingsStore::Load() {
  RemoveStrayTemporary(FPath);
  const std::optional<std::string> bytes = ReadFileBytes(FPath);
  FMayReplace = bytes.has_value();
  FOverflowHintShown = ReadOverflowHintShown(bytes.value_or(""));
  return ReadEyeSettings(bytes.value_or(""));
}

void TSettingsStore::Save(const EyeSettings& settings) {
  // The program waits for the save: other programs' holds get one deadline for all of it.
  const THoldDeadline deadline;
  // Without the file's bytes its other lines would be lost.
  const std::optional<std::string> bytes = ReadFileBytes(FPath, deadline);
  if (!bytes) throw WriteRefusal(FPath);
  WriteFileSafely(FPath, WriteEyeSettings(*bytes, settings), deadline);
  FMayReplace = true;
}

void TSettingsStore::RememberOverflowHint() {
  FOverflowHintShown = true;
  const THoldDeadline deadline;
  const std::optional<std::string> bytes = FMayReplace ? ReadFileBytes(FPath, deadline) : std::nullopt;
  if (!bytes) return;
  // Nobody asked for this save: where it fails, the hint shows once more at
  // the next start, which is not worth a message box.
  try {
    WriteFileSafely(FPath, WriteOverflowHintShown(*bytes), deadline);
  } catch (const EToviError&) {
  }
}

}  // namespace tovi
