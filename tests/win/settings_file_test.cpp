#include "toolkit/settings_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

#include "scratch_folder.h"
#include "toolkit/errors.h"

namespace tovi {
namespace {

using testing::Exists;

class SettingsFile : public ::testing::Test {
 protected:
  testing::TScratchFolder FFolder;
  const std::wstring FIni = FFolder.Path() + L"tovi.ini";
};

TEST_F(SettingsFile, KeepsEveryByteOverTheOldFileAndRemovesAStrayTemporary) {
  std::string bytes;
  for (int i = 0; i < 3 * 256; ++i) bytes += static_cast<char>(i);
  for (const std::string& sent : {bytes, std::string(), std::string("[Eye]\nType=1")}) {
    WriteFileSafely(FIni, sent);
    EXPECT_EQ(ReadFileBytes(FIni), sent);
    EXPECT_FALSE(Exists(FIni + L".tmp"));
  }
  WriteFileSafely(FIni + L".tmp", "half a");
  RemoveStrayTemporary(FIni);
  EXPECT_FALSE(Exists(FIni + L".tmp"));
  EXPECT_EQ(ReadFileBytes(FIni), "[Eye]\nType=1");
}

TEST_F(SettingsFile, ReadsNothingFromAFileItCannotRead) {
  EXPECT_EQ(ReadFileBytes(FIni), "") << "no file";
  EXPECT_EQ(ReadFileBytes(FFolder.Path()), "") << "a folder";
  WriteFileSafely(FIni, "[Eye]");
  const HANDLE locked = CreateFileW(FIni.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(ReadFileBytes(FIni), "") << "a file another program holds";
  CloseHandle(locked);
}

TEST_F(SettingsFile, RefusesWithTheFullPathAndKeepsTheOldFile) {
  const std::wstring readOnly = FFolder.Path() + L"読み取り専用.ini", folder = FFolder.Path() + L"フォルダ.ini";
  WriteFileSafely(readOnly, "old");
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  CreateDirectoryW(folder.c_str(), nullptr);
  for (const std::wstring& path : {readOnly, folder, FFolder.Path() + L"無い\\tovi.ini"}) {
    std::optional<std::wstring> refusal;
    try {
      WriteFileSafely(path, "new");
    } catch (...) {
      refusal = ExceptionText(std::current_exception());
    }
    EXPECT_EQ(refusal, path + L" に書き込めません");
    EXPECT_FALSE(Exists(path + L".tmp"));
  }
  EXPECT_EQ(ReadFileBytes(readOnly), "old");
}

TEST(ExceptionText, GivesTheUserTheRightText) {
  EXPECT_EQ(ExceptionText(std::make_exception_ptr(std::runtime_error("\xE7\x9B\xAE"))), L"目");
  EXPECT_EQ(ExceptionText(std::make_exception_ptr(42)), L"不明なエラーが起きました");
  EXPECT_STREQ(EToviError(L"目").what(), "\xE7\x9B\xAE");
}

}  // namespace
}  // namespace tovi
