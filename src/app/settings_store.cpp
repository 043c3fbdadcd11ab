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
  // Without the file's bytes its other lines would be lost.
  const std::optional<std::string> bytes = ReadFileBytes(FPath);
  if (!bytes) throw WriteRefusal(FPath);
  WriteFileSafely(FPath, WriteEyeSettings(*bytes, settings));
  FMayReplace = true;
}

void TSettingsStore::RememberOverflowHint() {
  FOverflowHintShown = true;
  const std::optional<std::string> bytes = FMayReplace ? ReadFileBytes(FPath) : std::nullopt;
  if (!bytes) return;
  // Nobody asked for this save: where it fails, the hint shows once more at
  // the next start, which is not worth a message box.
  try {
    WriteFileSafely(FPath, WriteOverflowHintShown(*bytes));
  } catch (const EToviError&) {
  }
}

}  // namespace tovi
