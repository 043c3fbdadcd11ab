#include "app/main_form.h"

#include <wtsapi32.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "seam_override.h"
#include "toolkit/application.h"
#include "toolkit/errors.h"
#include "toolkit/files.h"

namespace tovi {
namespace {

// A folder of its own for a main form, with the build's pictures: the form writes its settings there. Gone after.
// Path ends in a backslash, as the form takes it.
struct TFormFolder {
  TFormFolder() {
    std::filesystem::remove_all(Path);  // a crashed run may have left one behind
    std::filesystem::create_directory(Path);
    for (const auto& file : std::filesystem::directory_iterator(ProgramFolder() + L"" TOVI_PICTURES_FROM_TESTS)) {
      const std::filesystem::path& picture = file.path();
      if (picture.extension() == L".bmp") std::filesystem::copy(picture, Path + picture.filename().wstring());
    }
  }
  ~TFormFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
  const std::wstring Path = std::filesystem::temp_directory_path().wstring() + L"\\tovi form " +
                            std::to_wstring(GetCurrentProcessId()) + L"\\";
};

std::string Answers;  // the form's answers to the session's news during each delete (1 where it heard them), and errors

// A call to another process serves the messages sent to its caller while it waits: a delete lets in a new
// display, setting and shell, and the session's news, to the main form, the only one on the tests' desktop.
BOOL WINAPI ServeWhileDeleting(DWORD operation, PNOTIFYICONDATAA) {
  const HWND form = FindWindowW(L"TFrmMain", nullptr);
  if (operation != NIM_DELETE || form == nullptr) return TRUE;
  SendMessageW(form, WM_DISPLAYCHANGE, 32, MAKELPARAM(800, 600));
  SendMessageW(form, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
  SendMessageW(form, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  for (const WPARAM news : {WTS_SESSION_LOCK, WTS_SESSION_UNLOCK})
    Answers += std::to_string(SendMessageW(form, WM_WTSSESSION_CHANGE, news, 1));
  return TRUE;
}

TEST(MainForm, HearsNothingOnceItsMembersBeginToGo) {
  const TSeamOverride<decltype(seams::ShellNotifyIcon)> shell(seams::ShellNotifyIcon, &ServeWhileDeleting);
  Application().OnException = [](TObject*, const std::wstring&) { Answers += " error"; };
  // in turn: the pictures, whether the form comes into being
  const std::tuple<const char*, bool> cases[] = {{"the build's", true}, {"a broken base.bmp", false}};
  for (const auto& [pictures, makes] : cases) {
    const TFormFolder folder;
    if (!makes) std::filesystem::resize_file(folder.Path + L"base.bmp", 10);
    Answers.clear();
    bool made = false;
    try {
      TFrmMain form(folder.Path);
      made = true;
    } catch (const EToviError&) {
    }
    EXPECT_EQ(std::pair(made, Answers), std::pair(makes, std::string("0000")))
        << pictures << ": made, and the form's answers to a lock and an unlock sent during each icon's delete";
  }
  Application().OnException = nullptr;
}

}  // namespace
}  // namespace tovi
