#include "toolkit/application.h"

#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/claim_name.h"
#include "toolkit/errors.h"
#include "toolkit/folder_claim.h"

namespace tovi {
namespace {

std::vector<std::wstring> Shown, RaisedDuringFirst;  // the boxes' texts; errors raised while the first is open
HWND Answered;

void Report(const std::wstring& text) {
  try {
    throw EToviError(text);
  } catch (...) {
    Application().HandleException(nullptr);
  }
}

// Runs inside the message box's own loop: notes its text, raises more errors while the first is open, answers it.
void CALLBACK AnswerTheBox(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), [](HWND window, LPARAM found) {
    wchar_t name[8]{};
    GetClassNameW(window, name, 8);
    if (std::wstring(name) == L"#32770" && IsWindowVisible(window)) *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
  }, reinterpret_cast<LPARAM>(&box));
  if (box == nullptr || box == Answered) return;
  wchar_t text[64]{};
  GetDlgItemTextW(box, 0xFFFF, text, 64);
  Shown.emplace_back(text);
  if (Shown.size() == 1)
    for (const std::wstring& error : RaisedDuringFirst) Report(error);
  Answered = box;
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(Application, ShowsEachDistinctErrorOnceAndOneBoxAtATime) {
  // Each case starts with "first" again: an error answered before is worth telling anew.
  const std::tuple<std::vector<std::wstring>, std::vector<std::wstring>, const char*> cases[] = {
      {{L"first"}, {L"first"}, "the error on every tick is not stacked"},
      {{L"second", L"first", L"second", L"third"}, {L"first", L"second", L"third"},
       "later errors wait their turn, repeats of one showing or waiting are dropped"},
  };
  for (const auto& [raised, shown, reason] : cases) {
    Shown.clear();
    Answered = nullptr;
    RaisedDuringFirst = raised;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, &AnswerTheBox);
    Report(L"first");
    KillTimer(nullptr, timer);
    EXPECT_EQ(Shown, shown) << reason;
  }
}

TEST(ExceptionText, GivesTheUserTheRightText) {
  const std::pair<std::exception_ptr, std::wstring> cases[] = {
      {std::make_exception_ptr(EToviError(L"目")), L"目"},
      {std::make_exception_ptr(std::runtime_error("\xE7\x9B\xAE")), L"目"},
      {std::make_exception_ptr(std::bad_alloc()), L"メモリが足りません"},
      {std::make_exception_ptr(42), L"不明なエラーが起きました"},
  };
  for (const auto& [error, text] : cases) EXPECT_EQ(ExceptionText(error), text);
  EXPECT_STREQ(EToviError(L"目").what(), "\xE7\x9B\xAE");
}

TEST(FolderClaim, HoldsAFolderByAnyOfItsSpellingsForOneCopyAtATime) {
  const std::wstring folder = L"C:\\users\\Public\\Tovi claim folder", other = folder + L" 2";
  for (const std::wstring& made : {folder, other}) CreateDirectoryW(made.c_str(), nullptr);
  std::wstring shortName(MAX_PATH, L'\0'), prefix(MAX_PATH, L'\0');
  shortName.resize(GetShortPathNameW(folder.c_str(), shortName.data(), MAX_PATH));
  // Wine's drive Z: is the Unix root, and C: a folder of the prefix: two drives name one folder, as subst makes them.
  prefix.resize(GetEnvironmentVariableW(L"WINEPREFIX", prefix.data(), MAX_PATH));
  std::ranges::replace(prefix, L'/', L'\\');
  // Why; how the second copy names the folder; whether the first holds it for the second.
  const std::tuple<const char*, std::wstring, bool> cases[] = {
      {"the same folder", folder, true},
      {"in other case, ending in a separator", L"c:\\USERS\\public\\TOVI CLAIM FOLDER\\", true},
      {"by its short name", shortName, true},
      {"through another drive", L"Z:" + prefix + L"\\drive_c\\users\\Public\\Tovi claim folder", true},
      {"another folder", other, false},
  };
  for (const auto& [reason, spelling, held] : cases) {
    const TFolderClaim first(folder);
    EXPECT_FALSE(first.HeldElsewhere()) << reason << ": the first copy, once those before have ended";
    EXPECT_EQ(TFolderClaim(spelling).HeldElsewhere(), held) << reason << ": " << spelling;
  }
  // The object an elevated copy makes, which one that is not elevated may not open: here, nobody may.
  SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
  ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:", SDDL_REVISION_1, &attributes.lpSecurityDescriptor,
                                                       nullptr);
  const std::string name = FolderClaimName(u"\\\\?\\C:\\users\\Public\\Tovi claim folder");
  const TUniqueKernelObject elevated(CreateMutexW(&attributes, FALSE, std::wstring(name.begin(), name.end()).c_str()));
  EXPECT_TRUE(elevated && TFolderClaim(folder).HeldElsewhere()) << "held by an elevated copy";
  LocalFree(attributes.lpSecurityDescriptor);
  for (const std::wstring& made : {folder, other}) RemoveDirectoryW(made.c_str());
}

// Windows's own reading of the program's manifest, which these tests carry as theirs (a null context is the process's).
TEST(Manifest, NamesWindows10LongPathsAndNoOtherAssembly) {
  alignas(8) BYTE answer[512]{};
  SIZE_T size = 0;
  ASSERT_TRUE(QueryActCtxW(0, nullptr, nullptr, CompatibilityInformationInActivationContext, answer, sizeof answer,
                           &size));
  // Windows 10 and 11 run a program whose manifest does not name them as Windows 8 did. Looked for in the whole
  // answer, whose entries have grown since the headers here were written.
  const GUID windows10{0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}};
  const auto* id = reinterpret_cast<const BYTE*>(&windows10);
  EXPECT_NE(std::search(answer, answer + size, id, id + sizeof windows10), answer + size) << "Windows 10 not named";
  wchar_t longPaths[8]{};
  EXPECT_TRUE(QueryActCtxSettingsW(0, nullptr, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                                   L"longPathAware", longPaths, 8, nullptr) && longPaths == std::wstring(L"true"));
  ASSERT_TRUE(QueryActCtxW(0, nullptr, nullptr, ActivationContextDetailedInformation, answer, sizeof answer, nullptr));
  EXPECT_EQ(reinterpret_cast<const ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(answer)->ulAssemblyCount, 1u)
      << "an assembly the program depends on, such as common controls 6, whose look its controls do not take";
}

}  // namespace
}  // namespace tovi
