#include "toolkit/settings_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "core/settings.h"
#include "toolkit/errors.h"

namespace tovi {
namespace {

namespace fs = std::filesystem;

// A fresh folder with Japanese characters and a space in its name, as a user's may have.
class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring name = L"トヴィ テスト " + std::to_wstring(GetCurrentProcessId());
    FFolder = fs::temp_directory_path() / name;
    for (int n = 1; !fs::create_directory(FFolder); ++n) FFolder.replace_filename(name + L"-" + std::to_wstring(n));
    FIni = (FFolder / L"tovi.ini").wstring();
  }
  void TearDown() override {
    for (const fs::directory_entry& entry : fs::directory_iterator(FFolder))
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(FFolder);
  }
  static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

  fs::path FFolder;
  std::wstring FIni;
};

std::optional<std::wstring> RefusalOf(const std::wstring& path, std::string_view bytes) {
  try {
    WriteFileSafely(path, bytes);
  } catch (const EToviError& e) {
    return e.Message();
  }
  return std::nullopt;
}

TEST_F(SettingsFile, KeepsEveryByte) {
  std::string bytes;
  for (int i = 0; i < 3 * 256; ++i) bytes += static_cast<char>(i);
  for (const std::string& sent : {bytes, std::string(), std::string("[Eye]\nType=1")}) {
    WriteFileSafely(FIni, sent);
    EXPECT_EQ(ReadFileBytes(FIni), sent);
    EXPECT_FALSE(Exists(FIni + L".tmp"));
  }
}

TEST_F(SettingsFile, ReadsNothingFromAFileItCannotRead) {
  EXPECT_EQ(ReadFileBytes(FIni), "") << "no file";
  EXPECT_EQ(ReadFileBytes(FFolder.wstring()), "") << "a folder";
  WriteFileSafely(FIni, "[Eye]");
  const HANDLE locked = CreateFileW(FIni.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(ReadFileBytes(FIni), "") << "a file another program holds";
  CloseHandle(locked);
}

TEST_F(SettingsFile, RefusesAndKeepsTheOldFile) {
  const std::wstring readOnly = (FFolder / L"読み取り専用.ini").wstring();
  WriteFileSafely(readOnly, "old");
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  const std::wstring folder = (FFolder / L"フォルダ.ini").wstring();
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring cases[] = {readOnly, folder, (FFolder / L"無い" / L"tovi.ini").wstring()};
  for (const std::wstring& path : cases) {
    EXPECT_EQ(RefusalOf(path, "new"), path + L" に書き込めません");
    EXPECT_FALSE(Exists(path + L".tmp"));
  }
  EXPECT_EQ(ReadFileBytes(readOnly), "old");
}

TEST_F(SettingsFile, RemovesAStrayTemporary) {
  WriteFileSafely(FIni, "kept");
  WriteFileSafely(FIni + L".tmp", "half a");
  RemoveStrayTemporary(FIni);
  EXPECT_FALSE(Exists(FIni + L".tmp"));
  EXPECT_EQ(ReadFileBytes(FIni), "kept");
  RemoveStrayTemporary(FIni);
}

TEST_F(SettingsFile, SavesOverAnOldFileKeepingItsOtherLines) {
  WriteFileSafely(FIni, "; mine\n[Window]\nLeft=10\n[Eye]\nType=2\n\n[Z]\nlast");
  WriteFileSafely(FIni, WriteEyeSettings(ReadFileBytes(FIni), {3, false, 700}));
  EXPECT_EQ(ReadFileBytes(FIni),
            "; mine\n[Window]\nLeft=10\n[Eye]\nType=3\nBlink=0\r\nBlinkInterval=700\r\n\n[Z]\nlast");
}

}  // namespace
}  // namespace tovi
