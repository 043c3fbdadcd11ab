#include "app/main_form.h"

#include <wtsapi32.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>

#include "scratch_folder.h"
#include "seam_override.h"
#include "serve_until.h"
#include "toolkit/application.h"
#include "toolkit/errors.h"
#include "toolkit/files.h"

namespace tovi {
namespace {

using testing::ServeUntil;

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

TEST(MainForm, SaysWhichPictureFailsAndHearsNothingOnceItsMembersBeginToGo) {
  const TSeamOverride<decltype(seams::ShellNotifyIcon)> shell(seams::ShellNotifyIcon, &ServeWhileDeleting);
  Application().OnException = [](TObject*, const std::wstring&) { Answers += " error"; };
  // What becomes of a picture; the form's error, none where it comes into being.
  const std::tuple<std::string, std::wstring> cases[] = {{"eye1.bmp's rows moved a page on", L""},
      {"base.bmp broken", L"base.bmp はビットマップとして読み込めません"}, {"cap1.bmp removed", L"cap1.bmp が見つかりません"}};
  for (const auto& [change, error] : cases) {
    const testing::TScratchFolder folder(true);
    if (change == "base.bmp broken") std::filesystem::resize_file(folder.Path + L"base.bmp", 10);
    if (change == "cap1.bmp removed") std::filesystem::remove(folder.Path + L"cap1.bmp");
    if (change == "eye1.bmp's rows moved a page on") {  // past the first page of the file's mapping
      std::string eye = ReadFileBytes(folder.Path + L"eye1.bmp").value();
      // Zeros before the rows, whose offset (under 256 in the build's pictures) grows by 16 in its second byte.
      eye.insert(static_cast<unsigned char>(eye[10]), 4096, '\0');
      eye[11] = static_cast<char>(eye[11] + 16);
      WriteFileSafely(folder.Path + L"eye1.bmp", eye);
    }
    Answers.clear();
    std::wstring failure;
    try {
      TFrmMain form(folder.Path);
    } catch (const EToviError& e) {
      failure = e.Message();
    }
    EXPECT_EQ(std::pair(failure, Answers), std::pair(error.empty() ? error : folder.Path + error, std::string("0000")))
        << change << ": the form's error, and its answers to a lock and an unlock sent during each icon's delete";
  }
  Application().OnException = nullptr;
}

int Modifies = 0;

BOOL WINAPI CountModifies(DWORD operation, PNOTIFYICONDATAA) {
  Modifies += operation == NIM_MODIFY;
  return TRUE;
}

// A rest that begins while a wake asks the shell where the icons are, as the display's power broadcast, which
// is sent, may: the form is told of a lock during the first such call.
HWND LockedDuringPlaces;
HRESULT WINAPI LockWhileAsked(const NOTIFYICONIDENTIFIER*, RECT*) {
  if (const HWND form = std::exchange(LockedDuringPlaces, nullptr))
    SendMessageW(form, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1);
  return E_FAIL;
}

// Whether the form hears the mouse's raw input, as it does while the eyes sleep.
bool HearsTheMouse(HWND form) {
  RAWINPUTDEVICE devices[4]{};
  UINT count = 4;
  const UINT got = GetRegisteredRawInputDevices(devices, &count, sizeof devices[0]);
  for (UINT i = 0; i < got && got != UINT(-1); ++i)
    if (devices[i].usUsagePage == 1 && devices[i].usUsage == 2 && devices[i].hwndTarget == form &&
        (devices[i].dwFlags & RIDEV_INPUTSINK))
      return true;
  return false;
}

TEST(MainForm, SleepsWhileNothingCanChangeAndWakesForTheBlinkAndTheMouse) {
  const TSeamOverride<decltype(seams::ShellNotifyIcon)> shell(seams::ShellNotifyIcon, &CountModifies);
  SetCursorPos(0, 0);
  const testing::TScratchFolder folder(true);
  // Longer than the default 5000 ms, so that a blink at the default comes too soon.
  WriteFileSafely(folder.Path + L"tovi.ini", "[Eye]\r\nBlinkInterval=6000\r\n");
  TFrmMain form(folder.Path);
  const DWORD started = GetTickCount();
  ASSERT_TRUE(ServeUntil([&] { return HearsTheMouse(form.Handle()); })) << "the still eyes never slept";
  // Asleep, nothing ticks but the blink an interval after the start.
  const int beforeBlink = Modifies;
  ASSERT_TRUE(ServeUntil([&] { return Modifies > beforeBlink; })) << "no blink came to the sleeping eyes";
  EXPECT_GE(GetTickCount() - started, 6000u) << "the blink came before the interval tovi.ini gives";
  ASSERT_TRUE(ServeUntil([&] { return HearsTheMouse(form.Handle()); })) << "the eyes did not sleep after the blink";
  // The mouse's report wakes them, and the next tick shows where the cursor is now: at the far corner.
  INPUT move{INPUT_MOUSE, {.mi = {65535, 65535, 0, MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, 0, 0}}};
  const int beforeMove = Modifies;
  SendInput(1, &move, sizeof move);
  MSG report{};  // taken alone, so that nothing else runs before it
  for (const DWORD sent = GetTickCount(); !PeekMessageW(&report, form.Handle(), WM_INPUT, WM_INPUT, PM_REMOVE);) {
    ASSERT_LT(GetTickCount() - sent, 5000u) << "no raw input reached the sleeping form";
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_RAWINPUT);
  }
  DispatchMessageW(&report);
  EXPECT_FALSE(HearsTheMouse(form.Handle())) << "the mouse's report left the eyes asleep";
  EXPECT_TRUE(ServeUntil([&] { return Modifies - beforeMove == 2; })) << "no tick showed the moved cursor";
  ASSERT_TRUE(ServeUntil([&] { return HearsTheMouse(form.Handle()); }));
  const TSeamOverride<decltype(seams::ShellNotifyIconGetRect)> places(seams::ShellNotifyIconGetRect, &LockWhileAsked);
  LockedDuringPlaces = form.Handle();
  SendMessageW(form.Handle(), WM_SETTINGCHANGE, 0, 0);  // wakes the eyes
  EXPECT_TRUE(ServeUntil([&] { return !form.Timer1.Enabled() && !HearsTheMouse(form.Handle()); }))
      << "the eyes tick or listen to the mouse through a rest begun as they woke";
}

}  // namespace
}  // namespace tovi
