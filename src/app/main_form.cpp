#include "app/main_form.h"

#include <hidusage.h>

#include <utility>

#include "core/display_scale.h"
#include "toolkit/application.h"
#include "toolkit/display_scale.h"
#include "toolkit/errors.h"
#include "toolkit/image_file.h"
#include "toolkit/seams.h"

namespace tovi {
namespace {

// How often the eyes look about them beyond the tick: where they are, what hides them, a cursor moved
// without the mouse.
constexpr UINT kRefreshMilliseconds = 1000;
constexpr wchar_t kSettingsFile[] = L"tovi.ini";
constexpr wchar_t kOverflowHintTitle[] = L"目が隠れています";
constexpr wchar_t kOverflowHintText[] =
    L"目は「^」の中の隠れたアイコンにいます。タスク バーの設定で Tovi のアイコンをオンにすると、"
    L"いつもタスク バーで見えます。";

}  // namespace

TFrmMain::TFrmMain(std::wstring folder)
    // A tool window never gets a task-bar button, should anything ever show it.
    : TForm({.ClassName = L"TFrmMain", .Caption = L"Tovi", .Style = WS_POPUP | WS_CAPTION | WS_SYSMENU,
             .ExStyle = WS_EX_TOOLWINDOW}),
      FFolder(std::move(folder)),
      FSettingsStore(FFolder + kSettingsFile) {
  TaskTrayIcon1.SetPopUpMenuR(&PopupMenu);
  TaskTrayIcon1.OnClick = [this](TObject* sender) { TaskTrayIcon1Click(sender); };
  TaskTrayIcon2.SetPopUpMenuR(&PopupMenu);
  TaskTrayIcon2.OnClick = [this](TObject* sender) { TaskTrayIcon2Click(sender); };
  Timer1.SetInterval(kTickMilliseconds);
  Timer1.OnTimer = [this](TObject* sender) { Timer1Timer(sender); };
  FBlinkTimer.OnTimer = [this](TObject*) { WakeUp(); };
  FRefreshTimer.SetInterval(kRefreshMilliseconds);
  FRefreshTimer.OnTimer = [this](TObject*) { Refresh(); };
  FRestWatch.OnRest = [this](TObject*) { RestEyes(); };
  FRestWatch.OnWake = [this](TObject*) { WakeEyes(); };
  PopupMenu.Add({L"設定(&C)...", [this](TObject* sender) { MnuConfigClick(sender); }});
  PopupMenu.Add({L"-", nullptr});
  PopupMenu.Add({L"Toviについて(&A)...", [this](TObject* sender) { MnuAboutClick(sender); }});
  PopupMenu.Add({L"-", nullptr});
  PopupMenu.Add({L"終了(&X)", [this](TObject* sender) { MnuExitClick(sender); }});

  // A copy run as administrator hears a new shell, which runs at a lower integrity, only through this.
  seams::ChangeMessageFilter(Handle(), TTaskTrayIcon::TaskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);

  for (TTaskTrayIcon* icon : {&TaskTrayIcon1, &TaskTrayIcon2}) icon->Loaded();
  // A form that fails to come into being loses its members while its window lives on, as one that ends.
  try {
    FormCreate();
    Timer1.SetEnabled(true);
    UpdateRefresh();
    Refresh();
  } catch (...) {
    StopMessages();
    throw;
  }
}

TFrmMain::~TFrmMain() {
  // The members go before the window, and the icons' deletes wait for the shell, serving what is sent
  // meanwhile (a new display, setting or shell, the session's news): none of it reaches the form now.
  StopMessages();
  // The dialogs are gone already, and a refused save's report below runs a
  // message loop: from here on the tray reaches nothing and nothing ticks.
  EndSleep();
  for (TTimer* timer : {&Timer1, &FRefreshTimer}) timer->SetEnabled(false);
  FRestWatch.OnWake = nullptr;
  for (TTaskTrayIcon* icon : {&TaskTrayIcon1, &TaskTrayIcon2}) {
    icon->SetPopUpMenuR(nullptr);
    icon->OnClick = nullptr;
  }
  // The exit goes on whatever saving answers.
  try {
    FormDestroy();
  } catch (...) {
    Application().HandleException(this);
  }
}

void TFrmMain::FormCreate() {
  LoadSettings();
  LoadImages();
}

void TFrmMain::FormDestroy() { FSettingsStore.SaveAtExit(FSettings); }

void TFrmMain::LoadSettings() { FSettings = FSettingsStore.Load(); }

void TFrmMain::SaveSettings() { FSettingsStore.Save(FSettings); }

void TFrmMain::LoadImages() {
  const int iconSize = TrayIconSize(SmallIconMetric(TaskBarDpi()));
  if (iconSize == FEyes.IconSize() && !FEyes.Images().FBaseBitmap.Empty()) return;
  // A set drawn for the icon's size stands in a folder named by that size;
  // where there is none, the pictures beside the program serve every size.
  int pictureSize = PictureSizeFor(iconSize);
  std::wstring folder = FFolder + std::to_wstring(pictureSize) + L"\\";
  if (pictureSize == kEyeSize || !FileExists(folder + L"base.bmp")) {
    pictureSize = kEyeSize;
    folder = FFolder;
  }
  TFolderImageLoader loader(folder);
  try {
    FEyes.Resize(LoadImageSet(loader, pictureSize), pictureSize, iconSize);
  } catch (const EImageSetError& e) {
    const std::wstring path = loader.PathOf(e.FileName);
    throw EToviError(e.Problem == TLoadStatus::Missing ? path + L" が見つかりません"
                                                       : path + L" はビットマップとして読み込めません");
  }
}

void TFrmMain::Timer1Timer(TObject*) {
  // A tick already queued when the eyes began to rest, or the timer turned on
  // again by a wake during whose call to the shell a rest began.
  if (FRestWatch.Resting()) {
    Timer1.SetEnabled(false);
    return;
  }
  // The tick's own message tells where the cursor is: asking the window
  // server anew on every tick would be most of what an idle tick costs.
  const TTickInputs inputs{seams::TickCount(), MessageCursorPos(), EyesPlace()};
  FLastCursor = inputs.Cursor;
  if (const std::optional<TEyePicture> picture = FEyes.Tick(inputs, FSettings)) {
    // A tick that shows a picture is never the last; and the shell's call may
    // have served other ticks, a menu or the start of a rest meanwhile.
    FPublisher.Publish(*picture);
    return;
  }
  if (const TNextTick next = FEyes.NextTick(inputs.Now, FSettings); next.Still) FallAsleep(next.In);
}

TRect TFrmMain::GetTrayRect() { return FNotificationArea.Rect(); }

TRect TFrmMain::EyesPlace() const {
  const std::optional<TRect> eyes = EyesRect(FIconPlaces);
  return eyes ? *eyes : FTrayRect;
}

void TFrmMain::Refresh() {
  if (FSleeping) {
    // The timer's message tells where the cursor is: one moved with no mouse
    // input to say so (by a program, a pen, touch, a remote session) wakes the eyes.
    if (MessageCursorPos() != FLastCursor) WakeUp();
    return;
  }
  FRestWatch.AskTheShell();
  if (FRestWatch.Resting()) return;
  RefreshPlaces();
  // The shell may have hidden the eyes: said once, outside the tick, as it writes tovi.ini.
  if (ShowsOverflowHint(FIconPlaces, FSettingsStore.OverflowHintShown()) &&
      TaskTrayIcon1.ShowBalloon(kOverflowHintTitle, kOverflowHintText))
    FSettingsStore.RememberOverflowHint();
}

void TFrmMain::RefreshPlaces() {
  FTrayRect = GetTrayRect();
  FIconPlaces = {TaskTrayIcon1.Place(), TaskTrayIcon2.Place()};
}

void TFrmMain::FallAsleep(std::optional<std::uint32_t> blinkIn) {
  if (FRawInputRefused) return;
  if (!FSleeping && !SetRawMouseInput(true)) {
    FRawInputRefused = true;
    return;
  }
  FSleeping = true;
  Timer1.SetEnabled(false);
  FBlinkTimer.SetEnabled(false);
  if (blinkIn) {
    FBlinkTimer.SetInterval(*blinkIn);
    FBlinkTimer.SetEnabled(true);
  }
}

void TFrmMain::WakeUp() {
  if (!FSleeping) return;
  EndSleep();
  RefreshPlaces();
  // The first tick follows within one tick's time, as a timer message: after
  // the input and the shell's calls waiting before it, never inside them.
  Timer1.SetEnabled(true);
}

void TFrmMain::EndSleep() {
  FBlinkTimer.SetEnabled(false);
  if (FSleeping) SetRawMouseInput(false);
  FSleeping = false;
}

// Asleep, the first move of the mouse wakes the eyes. Awake, the tick reads
// the cursor, and raw input, which comes at the mouse's own rate (up to a
// thousand reports a second), would wake the program for nothing.
bool TFrmMain::SetRawMouseInput(bool on) {
  const RAWINPUTDEVICE mouse{HID_USAGE_PAGE_GENERIC, HID_USAGE_GENERIC_MOUSE,
                             static_cast<DWORD>(on ? RIDEV_INPUTSINK : RIDEV_REMOVE), on ? Handle() : nullptr};
  return RegisterRawInputDevices(&mouse, 1, sizeof mouse) != FALSE;
}

// Nobody can see the eyes: nothing is composed or handed to the shell.
void TFrmMain::RestEyes() {
  Timer1.SetEnabled(false);
  EndSleep();
  UpdateRefresh();
}

void TFrmMain::WakeEyes() {
  FEyes.Wake(seams::TickCount());
  RefreshPlaces();
  Timer1.SetEnabled(true);
  UpdateRefresh();
}

void TFrmMain::UpdateRefresh() {
  FRefreshTimer.SetEnabled(!FRestWatch.Resting() || FRestWatch.WorthAskingTheShell());
}

LRESULT TFrmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // A power broadcast handled answers TRUE; the session's message takes any answer.
  if (FRestWatch.HandleMessage(message, wParam, lParam)) {
    UpdateRefresh();
    return TRUE;
  }
  // The mouse moved while the eyes slept; the platform's default frees the report.
  if (message == WM_INPUT) WakeUp();
  // An installer's restart manager asks the program to end, so that it can
  // replace a file in use: it ends as by the menu's exit, saving.
  if (message == WM_ENDSESSION && wParam && (lParam & ENDSESSION_CLOSEAPP)) Close();
  // A new display scale, a moved task bar, or a new shell whose task bar may
  // stand on another monitor: the icons take the size the shell now shows,
  // and the eyes look again from where they are now.
  if (message == WM_DPICHANGED || message == WM_SETTINGCHANGE || message == WM_DISPLAYCHANGE ||
      message == TTaskTrayIcon::TaskbarCreatedMessage()) {
    WakeUp();
    LoadImages();
  }
  return TForm::HandleMessage(message, wParam, lParam);
}

void TFrmMain::TaskTrayIcon1Click(TObject*) {
  FEyes.StartBlink();
  WakeUp();
}

void TFrmMain::TaskTrayIcon2Click(TObject*) {
  FEyes.StartBlink();
  WakeUp();
}

bool TFrmMain::BringOpenDialogForward() {
  for (TForm* dialog : {static_cast<TForm*>(DlgSetting), static_cast<TForm*>(DlgAbout)}) {
    if (dialog != nullptr && dialog->Showing()) {
      SetForegroundWindow(dialog->Handle());
      return true;
    }
  }
  return false;
}

template <typename TDialog>
TDialog* TFrmMain::MadeOnFirstUse(TDialog*& dialog) {
  if (dialog == nullptr) dialog = Application().CreateForm<TDialog>();
  return dialog;
}

void TFrmMain::MnuConfigClick(TObject*) {
  if (BringOpenDialogForward() || MadeOnFirstUse(DlgSetting) == nullptr) return;
  DlgSetting->SetEyeList(&FEyes.Images().FEyeList);
  DlgSetting->SetValues(FSettings.FType, FSettings.FBlink, FSettings.FBlinkInterval);
  if (DlgSetting->ShowModal() == mrCancel) return;
  DlgSetting->GetValues(FSettings.FType, FSettings.FBlink, FSettings.FBlinkInterval);
  // Blinking or its interval may have changed: the next blink is planned anew.
  WakeUp();
  SaveSettings();
}

void TFrmMain::MnuAboutClick(TObject*) {
  if (!BringOpenDialogForward() && MadeOnFirstUse(DlgAbout) != nullptr) DlgAbout->ShowModal();
}

void TFrmMain::MnuExitClick(TObject*) { Close(); }

}  // namespace tovi
