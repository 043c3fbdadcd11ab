// Saving killed at random points, many times: the settings file is always
// the whole old or the whole new text, and a temporary left behind goes at
// the next start. The killed saver is this test program itself, started
// again as a child that does nothing but save until it is ended.

#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "scratch_folder.h"
#include "toolkit/settings_file.h"

namespace tovi {
namespace {

constexpr wchar_t kSavePathVariable[] = L"TOVI_SAVE_UNTIL_KILLED";
constexpr wchar_t kStartedEventVariable[] = L"TOVI_SAVE_STARTED_EVENT";

// Two texts of different lengths: a file cut short or mixed from both is neither.
std::string Text(char letter, int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) text += std::string("[Line") + letter + std::to_string(i) + "]\r\n";
  return text;
}

const std::string& OldText() {
  static const std::string text = Text('o', 200);
  return text;
}

const std::string& NewText() {
  static const std::string text = Text('n', 20000);
  return text;
}

std::wstring Variable(const wchar_t* name) {
  wchar_t value[1024];
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

// As the child, saves the new and the old text in turn until killed; it
// never returns to start the tests.
[[maybe_unused]] const bool kSavingChild = [] {
  const std::wstring path = Variable(kSavePathVariable);
  if (path.empty()) return false;
  if (const HANDLE started = OpenEventW(EVENT_MODIFY_STATE, FALSE, Variable(kStartedEventVariable).c_str()))
    SetEvent(started);
  for (bool fresh = true;; fresh = !fresh) {
    try {
      WriteFileSafely(path, fresh ? NewText() : OldText());
    } catch (...) {
      // A refused save changes nothing; the next one tries again.
    }
  }
}();

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class ChildSaver {
 public:
  explicit ChildSaver(const std::wstring& iniPath) {
    const std::wstring eventName = L"ToviSaveStarted-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE started = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
    SetEnvironmentVariableW(kSavePathVariable, iniPath.c_str());
    SetEnvironmentVariableW(kStartedEventVariable, eventName.c_str());
    wchar_t self[MAX_PATH * 2];
    GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    FStarted = CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &FProcess) != FALSE;
    SetEnvironmentVariableW(kSavePathVariable, nullptr);
    SetEnvironmentVariableW(kStartedEventVariable, nullptr);
    FStarted = FStarted && WaitForSingleObject(started, 60000) == WAIT_OBJECT_0;
    CloseHandle(started);
  }
  ~ChildSaver() {
    if (FProcess.hProcess) {
      Kill();
      CloseHandle(FProcess.hProcess);
      CloseHandle(FProcess.hThread);
    }
  }
  ChildSaver(const ChildSaver&) = delete;
  ChildSaver& operator=(const ChildSaver&) = delete;

  bool Started() const { return FStarted; }
  // Ends it at once, as a crash or the task manager does, and waits until it is gone.
  bool Kill() {
    TerminateProcess(FProcess.hProcess, 1);
    return WaitForSingleObject(FProcess.hProcess, 60000) == WAIT_OBJECT_0;
  }

 private:
  PROCESS_INFORMATION FProcess{};
  bool FStarted = false;
};

TEST(InterruptedSave, LeavesTheWholeOldOrTheWholeNewFileAndNoTemporaryAfterTheNextStart) {
  constexpr int kKills = 60;
  // Long enough for some saves to complete before the kill, short enough to land in the first ones too.
  constexpr int kLongestDelayMilliseconds = 40;
  testing::TScratchFolder folder;
  const std::wstring ini = folder.Path() + L"tovi.ini";
  const std::wstring temporary = ini + L".tmp";
  WriteFileSafely(ini, OldText());
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> delay(0, kLongestDelayMilliseconds);
  int oldSeen = 0, newSeen = 0, temporariesLeft = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    const int milliseconds = delay(random);
    const std::string where = "kill " + std::to_string(kill) + " after " + std::to_string(milliseconds) +
                              " ms (seed " + std::to_string(seed) + ")";
    {
      ChildSaver child(ini);
      ASSERT_TRUE(child.Started()) << where << ": the saving child did not start";
      Sleep(static_cast<DWORD>(milliseconds));
      ASSERT_TRUE(child.Kill()) << where << ": the child did not end";
    }
    const std::string left = ReadFileBytes(ini);
    if (left == OldText()) ++oldSeen;
    else if (left == NewText()) ++newSeen;
    else FAIL() << where << ": the file holds " << left.size() << " bytes, neither the old "
                << OldText().size() << " nor the new " << NewText().size();
    if (Exists(temporary)) ++temporariesLeft;
    // What the program does first at its next start.
    RemoveStrayTemporary(ini);
    EXPECT_FALSE(Exists(temporary)) << where << ": the temporary stayed";
    EXPECT_EQ(ReadFileBytes(ini), left) << where << ": removing the temporary touched the file";
  }
  // The kills landed between saves and inside them, or the test proved little.
  EXPECT_GT(oldSeen, 0) << "seed " << seed;
  EXPECT_GT(newSeen, 0) << "seed " << seed;
  EXPECT_GT(temporariesLeft, 0) << "no kill left a temporary behind (seed " << seed << ")";
  RecordProperty("old", oldSeen);
  RecordProperty("new", newSeen);
  RecordProperty("temporaries", temporariesLeft);
}

}  // namespace
}  // namespace tovi
