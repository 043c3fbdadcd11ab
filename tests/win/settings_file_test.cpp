#include "toolkit/settings_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

#include "scratch_folder.h"
#include "core/settings.h"
#include "toolkit/errors.h"

namespace tovi {
namespace {

using testing::Exists;

// Another program's hold on a file: nobody else may read or write it, nor delete it unless shared.
using THold = std::unique_ptr<void, decltype(&CloseHandle)>;
THold Hold(const std::wstring& path, DWORD share = 0) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
  return THold(file == INVALID_HANDLE_VALUE ? nullptr : file, &CloseHandle);
}

std::optional<std::wstring> Refusal(const std::function<void()>& save) {
  try {
    save();
  } catch (...) {
    return ExceptionText(std::current_exception());
  }
  return std::nullopt;
}

class SettingsFile : public ::testing::Test {
 protected:
  testing::TScratchFolder FFolder;
  const std::wstring FIni = FFolder.Path() + L"tovi.ini";
};

const std::string kMine = "; mine\r\n[Eye]\r\nType=1\r\nBlink=0\r\nBlinkInterval=700\r\n";

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

TEST_F(SettingsFile, KeepsTheFilesAttributes) {
  const DWORD kHidden = FILE_ATTRIBUTE_HIDDEN, kSystem = FILE_ATTRIBUTE_SYSTEM, kArchive = FILE_ATTRIBUTE_ARCHIVE;
  for (const DWORD attributes : {kArchive, kHidden | kArchive, kSystem | kArchive, kHidden | kSystem | kArchive}) {
    SetFileAttributesW(FIni.c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteFileSafely(FIni, "old");
    SetFileAttributesW(FIni.c_str(), attributes);
    for (const char* sent : {"new", "newer"}) {
      WriteFileSafely(FIni, sent);
      EXPECT_EQ(GetFileAttributesW(FIni.c_str()), attributes) << "after saving " << sent;
      EXPECT_EQ(ReadFileBytes(FIni), sent);
    }
  }
}

TEST_F(SettingsFile, ReadsNoBytesFromAMissingFileAndNothingFromOneItCannotRead) {
  EXPECT_EQ(ReadFileBytes(FIni), "") << "no file";
  EXPECT_EQ(ReadFileBytes(FFolder.Path() + L"無い\\tovi.ini"), "") << "no folder";
  EXPECT_EQ(ReadFileBytes(FFolder.Path()), std::nullopt) << "a folder";
  WriteFileSafely(FIni, "[Eye]");
  const THold held = Hold(FIni);
  EXPECT_EQ(ReadFileBytes(FIni), std::nullopt) << "a file another program holds";
}

// Defaults that stand in for a file that could not be read never replace it at exit.
TEST_F(SettingsFile, WritesAtExitOnlySettingsThatWereReadOrSaved) {
  const EyeSettings kDefaults{0, true, 5000}, kUsers{2, true, 300}, kAtExit{3, false, 400};
  struct TCase {
    const char* What;
    std::optional<std::string> Before;  // nothing: no file
    bool HeldAtLoad;
    bool UserSaves;
    EyeSettings Loaded;
    std::string After;  // after the exit
  };
  const std::string kExitWrote = "; mine\r\n[Eye]\r\nType=3\r\nBlink=0\r\nBlinkInterval=400\r\n";
  const TCase cases[] = {
      {"read", kMine, false, false, {1, false, 700}, kExitWrote},
      {"held at the start", kMine, true, false, kDefaults, kMine},
      {"held at the start, saved by the user", kMine, true, true, kDefaults, kExitWrote},
      {"no file", std::nullopt, false, false, kDefaults, "[Eye]\r\nType=3\r\nBlink=0\r\nBlinkInterval=400\r\n"},
  };
  for (const TCase& c : cases) {
    DeleteFileW(FIni.c_str());
    if (c.Before) WriteFileSafely(FIni, *c.Before);
    TSettingsStore store(FIni);
    {
      const THold held = c.HeldAtLoad ? Hold(FIni) : THold(nullptr, &CloseHandle);
      EXPECT_EQ(store.Load(), c.Loaded) << c.What;
    }
    if (c.UserSaves) {
      store.Save(kUsers);
      EXPECT_EQ(ReadFileBytes(FIni), "; mine\r\n[Eye]\r\nType=2\r\nBlink=1\r\nBlinkInterval=300\r\n") << c.What;
    }
    store.SaveAtExit(kAtExit);
    EXPECT_EQ(ReadFileBytes(FIni), c.After) << c.What;
  }
}

TEST_F(SettingsFile, RefusesToSaveIntoAFileItCannotRead) {
  WriteFileSafely(FIni, kMine);
  TSettingsStore store(FIni);
  store.Load();
  for (const DWORD share : {0, FILE_SHARE_DELETE}) {
    const THold held = Hold(FIni, share);
    EXPECT_EQ(Refusal([&] { store.Save({}); }), FIni + L" に書き込めません") << "asked by the user, share " << share;
    EXPECT_EQ(Refusal([&] { store.SaveAtExit({}); }), FIni + L" に書き込めません") << "at exit, share " << share;
  }
  EXPECT_EQ(ReadFileBytes(FIni), kMine);
  EXPECT_FALSE(Exists(FIni + L".tmp"));
}

TEST_F(SettingsFile, RefusesWithTheFullPathAndKeepsTheOldFile) {
  const std::wstring readOnly = FFolder.Path() + L"読み取り専用.ini", folder = FFolder.Path() + L"フォルダ.ini";
  WriteFileSafely(readOnly, "old");
  SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  CreateDirectoryW(folder.c_str(), nullptr);
  for (const std::wstring& path : {readOnly, folder, FFolder.Path() + L"無い\\tovi.ini"}) {
    EXPECT_EQ(Refusal([&] { WriteFileSafely(path, "new"); }), path + L" に書き込めません");
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
