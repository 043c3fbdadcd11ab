// Saving killed at random points: the settings file is always the whole old or
// the whole new text, and a temporary left behind goes at the next start. The
// killed saver is this test program, started again as a child that only saves.

#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "scratch_folder.h"
#include "toolkit/settings_file.h"

namespace tovi {
namespace {

// Tells the child the event to set once it runs and the file to save: "event|path".
constexpr wchar_t kChildVariable[] = L"TOVI_SAVE_UNTIL_KILLED";

// Two texts of different lengths: a file cut short or mixed from both is neither.
std::string Text(char letter, int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) text += std::string("[Line") + letter + std::to_string(i) + "]\r\n";
  return text;
}
const std::string kOldText = Text('o', 200), kNewText = Text('n', 20000);

// As the child, saves the new and the old text in turn until killed, never starting the tests.
[[maybe_unused]] const bool kSavingChild = [] {
  wchar_t value[2048];
  const DWORD length = GetEnvironmentVariableW(kChildVariable, value, 2048);
  if (length == 0 || length >= 2048) return false;
  const std::wstring eventAndPath(value, length);
  const std::size_t bar = eventAndPath.find(L'|');
  if (const HANDLE started = OpenEventW(EVENT_MODIFY_STATE, FALSE, eventAndPath.substr(0, bar).c_str()))
    SetEvent(started);
  for (bool fresh = true;; fresh = !fresh) try {
      WriteFileSafely(eventAndPath.substr(bar + 1), fresh ? kNewText : kOldText);
    } catch (...) {  // a refused save changes nothing; the next one tries again
    }
}();

// Starts the saving child and, once it runs, kills it after a while as a crash
// would. False when it would not start or not end.
bool SaveAndKill(const std::wstring& ini, DWORD milliseconds) {
  const std::wstring event = L"ToviSaveStarted-" + std::to_wstring(GetCurrentProcessId());
  const HANDLE started = CreateEventW(nullptr, TRUE, FALSE, event.c_str());
  SetEnvironmentVariableW(kChildVariable, (event + L"|" + ini).c_str());
  wchar_t self[MAX_PATH * 2];
  GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child{};
  bool ok = CreateProcessW(self, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child) &&
            WaitForSingleObject(started, 60000) == WAIT_OBJECT_0;
  SetEnvironmentVariableW(kChildVariable, nullptr);
  CloseHandle(started);
  if (!child.hProcess) return false;
  if (ok) Sleep(milliseconds);
  TerminateProcess(child.hProcess, 1);
  ok = WaitForSingleObject(child.hProcess, 60000) == WAIT_OBJECT_0 && ok;
  CloseHandle(child.hProcess);
  CloseHandle(child.hThread);
  return ok;
}

TEST(InterruptedSave, LeavesTheWholeOldOrTheWholeNewFileAndNoTemporaryAfterTheNextStart) {
  testing::TScratchFolder folder;
  const std::wstring ini = folder.Path() + L"tovi.ini", temporary = ini + L".tmp";
  WriteFileSafely(ini, kOldText);
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  // Long enough for some saves to complete before the kill, short enough to land in the first ones too.
  std::uniform_int_distribution<int> delay(0, 40);
  int oldSeen = 0, newSeen = 0, temporariesLeft = 0;
  for (int kill = 0; kill < 60; ++kill) {
    const int milliseconds = delay(random);
    const std::string where = "kill after " + std::to_string(milliseconds) + " ms (seed " + std::to_string(seed) + ")";
    ASSERT_TRUE(SaveAndKill(ini, static_cast<DWORD>(milliseconds))) << where << ": the saving child did not run";
    const std::string left = ReadFileBytes(ini).value_or("unreadable");
    oldSeen += left == kOldText;
    newSeen += left == kNewText;
    ASSERT_TRUE(left == kOldText || left == kNewText) << where << ": the file holds " << left.size() << " bytes";
    temporariesLeft += testing::Exists(temporary);
    RemoveStrayTemporary(ini);  // what the program does first at its next start
    EXPECT_FALSE(testing::Exists(temporary)) << where;
    EXPECT_EQ(ReadFileBytes(ini), left) << where << ": removing the temporary touched the file";
  }
  // The kills landed between saves and inside them, or the test proved little.
  EXPECT_TRUE(oldSeen > 0 && newSeen > 0 && temporariesLeft > 0)
      << oldSeen << " old, " << newSeen << " new, " << temporariesLeft << " temporaries; seed " << seed;
}

}  // namespace
}  // namespace tovi
