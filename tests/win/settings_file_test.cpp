#include "toolkit/settings_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <tuple>

#include "core/settings.h"
#include "scratch_folder.h"
#include "toolkit/errors.h"
#include "toolkit/program_folder.h"

namespace tovi {
namespace {

using testing::Exists;

// Another program's hold on a file: nobody else may read or write it, nor delete it unless shared.
using THold = std::unique_ptr<void, decltype(&CloseHandle)>;
THold Hold(const std::wstring& path, DWORD share = 0) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
  return THold(file == INVALID_HANDLE_VALUE ? nullptr : file, &CloseHandle);
}

std::wstring Refusal(const std::function<void()>& save) {
  try {
    save();
  } catch (...) {
    return ExceptionText(std::current_exception());
  }
  return L"none";
}

class SettingsFile : public ::testing::Test {
 protected:
  testing::TScratchFolder FFolder;
  const std::wstring FIni = FFolder.Path() + L"tovi.ini";
};

TEST_F(SettingsFile, ReplacesEveryByteAndKeepsTheFilesAttributes) {
  std::string bytes;
  for (int i = 0; i < 3 * 256; ++i) bytes += static_cast<char>(i);
  const DWORD kHidden = FILE_ATTRIBUTE_HIDDEN, kSystem = FILE_ATTRIBUTE_SYSTEM, kArchive = FILE_ATTRIBUTE_ARCHIVE;
  const std::pair<DWORD, std::string> cases[] = {
      {kArchive, bytes}, {kHidden | kArchive, ""}, {kSystem | kArchive, "[Eye]"}, {kHidden | kSystem | kArchive, "x"}};
  for (const auto& [attributes, sent] : cases) {
    SetFileAttributesW(FIni.c_str(), FILE_ATTRIBUTE_NORMAL);
    WriteFileSafely(FIni, "old");
    SetFileAttributesW(FIni.c_str(), attributes);
    WriteFileSafely(FIni, sent);
    EXPECT_EQ(std::tuple(ReadFileBytes(FIni), GetFileAttributesW(FIni.c_str()), Exists(FIni + L".tmp")),
              std::tuple(std::optional(sent), attributes, false))
        << attributes << ": the bytes, the attributes, a temporary left";
  }
}

TEST_F(SettingsFile, ReadsNoBytesFromAMissingFileAndNothingFromOneItCannotRead) {
  WriteFileSafely(FIni, "[Eye]");
  const THold held = Hold(FIni);
  const std::tuple<const char*, std::wstring, std::optional<std::string>> cases[] = {
      {"no file", FFolder.Path() + L"無い.ini", ""}, {"no folder", FFolder.Path() + L"無い\\tovi.ini", ""},
      {"a folder", FFolder.Path(), std::nullopt}, {"a file another program holds", FIni, std::nullopt}};
  for (const auto& [what, path, bytes] : cases) EXPECT_EQ(ReadFileBytes(path), bytes) << what;
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

// Defaults that stand in for a file that could not be read never replace it, at exit or for the hint.
TEST_F(SettingsFile, WritesOnlySettingsThatWereReadOrSaved) {
  const std::string kMine = "; mine\r\n[Eye]\r\nType=1\r\nBlink=0\r\nBlinkInterval=700\r\n";
  const std::string kHint = "[Hint]\r\nOverflowShown=1\r\n", kAtExit = "[Eye]\r\nType=3\r\nBlink=0\r\nBlinkInterval=400\r\n";
  const EyeSettings kDefaults{0, true, 5000};
  struct TCase {
    const char* What;
    std::optional<std::string> Before;  // nothing: no file
    bool HeldAtLoad, UserSaves;
    EyeSettings Loaded;
    std::string After;  // after the hint and the exit
  };
  const TCase cases[] = {
      {"read", kMine, false, false, {1, false, 700}, "; mine\r\n" + kAtExit + kHint},
      {"held at the start", kMine, true, false, kDefaults, kMine},
      {"held at the start, saved by the user", kMine, true, true, kDefaults, "; mine\r\n" + kAtExit},
      {"no file", std::nullopt, false, false, kDefaults, kHint + kAtExit},
  };
  for (const TCase& c : cases) {
    DeleteFileW(FIni.c_str());
    if (c.Before) WriteFileSafely(FIni, *c.Before);
    WriteFileSafely(FIni + L".tmp", "half a save");
    TSettingsStore store(FIni);
    {
      const THold held = c.HeldAtLoad ? Hold(FIni) : THold(nullptr, &CloseHandle);
      EXPECT_EQ(store.Load(), c.Loaded) << c.What;
      store.RememberOverflowHint();
    }
    EXPECT_FALSE(Exists(FIni + L".tmp")) << c.What << ": the temporary a crashed save left";
    if (c.UserSaves) store.Save({3, false, 400});
    store.SaveAtExit({3, false, 400});
    EXPECT_EQ(ReadFileBytes(FIni), c.After) << c.What;
  }
  TSettingsStore store(FIni);
  store.Load();
  for (const DWORD share : {0, FILE_SHARE_DELETE}) {
    const THold held = Hold(FIni, share);
    EXPECT_EQ(Refusal([&] { store.Save({}); }), FIni + L" に書き込めません") << "asked by the user, share " << share;
    EXPECT_EQ(Refusal([&] { store.SaveAtExit({}); }), FIni + L" に書き込めません") << "at exit, share " << share;
  }
}

TEST(ProgramFolder, IsTheFolderPartOfThePathEndingInABackslash) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"C:\\目 テスト\\tovi.exe", L"C:\\目 テスト\\"}, {L"C:tovi.exe", L"C:\\"}, {L"tovi.exe", L"\\"}};
  for (const auto& [path, folder] : cases) EXPECT_EQ(FolderOf(path), folder);
  EXPECT_TRUE(Exists(ProgramFolder() + L"tovi_win_tests.exe")) << "the running program's folder";
}

}  // namespace
}  // namespace tovi
