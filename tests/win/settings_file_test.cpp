#include "app/settings_store.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <thread>
#include <tuple>
#include <vector>

#include "core/settings.h"
#include "scratch_folder.h"
#include "toolkit/errors.h"
#include "toolkit/files.h"
#include "toolkit/image_file.h"

namespace tovi {
namespace {

using testing::Extended;
using testing::TScratchFolder;

// Another program's hold on a file: nobody else may read or write it, nor delete it unless shared.
using THold = std::unique_ptr<void, decltype(&CloseHandle)>;
THold Hold(const std::wstring& path, DWORD share = 0) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
  return THold(file == INVALID_HANDLE_VALUE ? nullptr : file, &CloseHandle);
}

// A file's access rights in SDDL: its DACL, "D:P" where it is protected from the folder's.
std::wstring RightsOf(const std::wstring& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  LPWSTR text = nullptr;
  if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                            nullptr, &descriptor) == ERROR_SUCCESS)
    ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                         &text, nullptr);
  const std::wstring rights = text ? text : L"(unreadable)";
  LocalFree(text);
  LocalFree(descriptor);
  return rights;
}

// Gives a file the rights of an SDDL text as the user's own tools would: "D:P" protects them from the folder's.
DWORD GiveRights(const std::wstring& path, const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor, nullptr);
  GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
  const DWORD inheritance =
      sddl[2] == L'P' ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION;
  const DWORD error = SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                                            DACL_SECURITY_INFORMATION | inheritance, nullptr, nullptr, dacl, nullptr);
  LocalFree(descriptor);
  return error;
}

// Defaults that stand in for a file that could not be read never replace it, at exit or for the hint.
TEST(SettingsFile, IsReadAndReplacedWholeOnlyWhereItCouldBeRead) {
  const TScratchFolder folder;
  const std::wstring ini = folder.Path + L"tovi.ini";
  const std::string kMine = "; mine\r\n[Eye]\r\nType=1\r\nBlink=0\r\nBlinkInterval=700\r\n";
  const std::string kAtExit = "[Eye]\r\nType=3\r\nBlink=0\r\nBlinkInterval=400\r\n";
  const std::string kHint = "[Hint]\r\nOverflowShown=1\r\n";
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
    DeleteFileW(ini.c_str());
    if (c.Before) WriteFileSafely(ini, *c.Before);
    WriteFileSafely(ini + L".tmp", "half a save");
    TSettingsStore store(ini);
    {
      const THold held = c.HeldAtLoad ? Hold(ini) : THold(nullptr, &CloseHandle);
      EXPECT_EQ(store.Load(), c.Loaded) << c.What;
      store.RememberOverflowHint();
      EXPECT_TRUE(store.OverflowHintShown()) << c.What << ": the hint, once given, is not given again";
    }
    EXPECT_FALSE(FileExists(ini + L".tmp")) << c.What << ": the temporary a crashed save left";
    if (c.UserSaves) store.Save({3, false, 400});
    store.SaveAtExit({3, false, 400});
    EXPECT_EQ(ReadFileBytes(ini), c.After) << c.What;
  }
  // Over a megabyte of every byte value goes over and back; a hidden system file stays one; no save leaves a temporary.
  std::string bytes;
  for (int i = 0; i < (1 << 20) + 256; ++i) bytes += static_cast<char>(i);
  const DWORD kArchive = FILE_ATTRIBUTE_ARCHIVE;
  for (const DWORD kept : {kArchive, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | kArchive}) {
    SetFileAttributesW(ini.c_str(), kept);
    WriteFileSafely(ini, bytes += "x");
    EXPECT_EQ(std::tuple(ReadFileBytes(ini) == bytes, GetFileAttributesW(ini.c_str()), FileExists(ini + L".tmp")),
              std::tuple(true, kept, false))
        << kept << ": the bytes alike, the attributes, a temporary left";
  }
  // The old file's access rights go over, protected from the folder's or not.
  for (const wchar_t* rights : {L"D:P(A;;FA;;;WD)", L"D:(A;;FA;;;WD)"}) {
    ASSERT_EQ(GiveRights(ini, rights), ERROR_SUCCESS) << rights;
    const std::wstring before = RightsOf(ini);
    WriteFileSafely(ini, "x");
    EXPECT_EQ(RightsOf(ini), before) << rights;
  }
  EXPECT_EQ(std::tuple(ReadFileBytes(folder.Path), ReadFileBytes(folder.Path + L"無い\\tovi.ini")),
            std::tuple(std::nullopt, std::optional<std::string>("")))
      << "a folder cannot be read; a missing file is empty";
}

// A save waits out another program's brief hold on tovi.ini or its temporary at each step: the
// reading of the old file, the making of the new one, the rename. A hold that outlasts the wait
// refuses the save and leaves the old file whole.
TEST(SettingsFile, IsSavedPastABriefHold) {
  const TScratchFolder folder;
  const std::wstring ini = folder.Path + L"tovi.ini";
  const std::string kOld = "[Eye]\r\nType=1\r\nBlink=1\r\nBlinkInterval=700\r\n";
  const std::string kNew = "[Eye]\r\nType=3\r\nBlink=0\r\nBlinkInterval=400\r\n";
  const DWORD kAllButDelete = FILE_SHARE_READ | FILE_SHARE_WRITE;
  // A hold: the file, how it is shared, how many ms into the save it is let go (0: never).
  struct THeld {
    const wchar_t* File;
    DWORD Share, LetGoAfter;
  };
  const std::tuple<const char*, std::vector<THeld>, bool> cases[] = {
      // What, the holds, whether the save is made.
      {"tovi.ini, unshared: read when let go", {{L"tovi.ini", 0, 300}}, true},
      {"tovi.ini, unshared throughout", {{L"tovi.ini", 0, 0}}, false},
      {"tovi.ini, not for deletion: renamed over when let go", {{L"tovi.ini", kAllButDelete, 300}}, true},
      {"tovi.ini, not for deletion throughout", {{L"tovi.ini", kAllButDelete, 0}}, false},
      {"the temporary a save left: made again when let go", {{L"tovi.ini.tmp", 0, 300}}, true},
      {"the temporary a save left, throughout", {{L"tovi.ini.tmp", 0, 0}}, false},
      // The program waits for its save: about two seconds for all its steps, not for each.
      {"the temporary to 1 s, then tovi.ini to 2.6 s", {{L"tovi.ini.tmp", 0, 1000}, {L"tovi.ini", kAllButDelete, 2600}},
       false},
  };
  for (const auto& [what, holds, saved] : cases) {
    WriteFileSafely(ini, kOld);
    WriteFileSafely(ini + L".tmp", "half a save");
    std::vector<THold> held;
    for (const THeld& hold : holds) {
      held.push_back(Hold(folder.Path + hold.File, hold.Share));
      ASSERT_TRUE(held.back()) << what;
    }
    std::thread letter([&] {
      for (DWORD i = 0, slept = 0; i < holds.size(); ++i) {
        if (holds[i].LetGoAfter == 0) continue;
        Sleep(holds[i].LetGoAfter - slept);
        slept = holds[i].LetGoAfter;
        held[i].reset();
      }
    });
    if (saved) EXPECT_NO_THROW(TSettingsStore(ini).Save({3, false, 400})) << what;
    else EXPECT_THROW(TSettingsStore(ini).Save({3, false, 400}), EToviError) << what;
    letter.join();
    held.clear();
    EXPECT_EQ(ReadFileBytes(ini), saved ? kNew : kOld) << what;
  }
}

// Past 260 characters, and past it only once ".tmp" is added, tovi.ini is saved and loaded as anywhere.
TEST(SettingsFile, WorksPastTwoHundredSixtyCharacters) {
  const TScratchFolder folder;
  const std::wstring deep = folder.Path + std::wstring(100, L'a') + L"\\";
  ASSERT_TRUE(CreateDirectoryW(Extended(deep).c_str(), nullptr));
  const std::size_t deepLength = std::filesystem::path(deep).lexically_normal().wstring().size();
  for (const std::size_t length : {257, 300}) {
    const std::wstring ini = deep + std::wstring(length - deepLength - 8, L'c') + L"tovi.ini";
    TSettingsStore store(ini);
    store.Save({2, false, 300});
    TKeyedPicture picture;
    EXPECT_EQ(std::tuple(store.Load(), FileExists(ini), ImageFromFile(ini, 16, picture)),
              std::tuple(EyeSettings{2, false, 300}, true, TLoadStatus::Unreadable))
        << length << ": the settings, found, and found though it is no picture";
  }
}

}  // namespace
}  // namespace tovi
