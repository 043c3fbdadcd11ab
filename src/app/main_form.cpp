#include "app/main_form.h"

#include <utility>

#include "core/display_scale.h"
#include "toolkit/application.h"
#include "toolkit/display_scale.h"
#include "toolkit/errors.h"
#include "toolkit/image_file.h"
#include "toolkit/seams.h"

namespace tovi {
namespace {

constexpr UINT kTickMilliseconds = 10;
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
  FRestWatch.OnRest = [this](TObject*) { RestEyes(); };
  FRestWatch.OnWake = [this](TObject*) { WakeEyes(); };
  PopupMenu.Add({L"設定(&C)...", [this](TObject* sender) { MnuConfigClick(sender); }});
  PopupMenu.Add({L"-", nullptr});
  PopupMenu.Add({L"Toviについて(&A)...", [this](TObject* sender) { MnuAboutClick(sender); }});
  PopupMenu.Add({L"-", nullptr});
  PopupMenu.Add({L"終了(&X)", [this](TObject* sender) { MnuExitClick(sender); }});

  for (TTaskTrayIcon* icon : {&TaskTrayIcon1, &TaskTrayIcon2}) icon->Loaded();
  // A form that fails to come into being loses its members while its window lives on, as one that ends.
  try {
    FormCreate();
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
  Timer1.SetEnabled(false);
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
  const std::uint32_t now = seams::TickCount();
  FRestWatch.Poll(now);
  // A tick already queued when the eyes began to rest.
  if (FRestWatch.Resting()) return;
  // The tick's own message tells where the cursor is: asking the window
  // server anew on every tick would be most of what an idle tick costs.
  const TTickInputs inputs{now, MessageCursorPos(), EyesPlace(now)};
  if (const std::optional<TEyePicture> picture = FEyes.Tick(inputs, FSettings)) FPublisher.Publish(*picture);
}

TRect TFrmMain::GetTrayRect(std::uint32_t now) { return FNotificationArea.Rect(now); }

TRect TFrmMain::EyesPlace(std::uint32_t now) {
  if (FIconPlacesAsked.Due(now)) AskIconPlaces();
  const std::optional<TRect> eyes = EyesRect(FIconPlaces);
  return eyes ? *eyes : GetTrayRect(now);
}

void TFrmMain::AskIconPlaces() {
  FIconPlaces = {TaskTrayIcon1.Place(), TaskTrayIcon2.Place()};
  if (ShowsOverflowHint(FIconPlaces, FSettingsStore.OverflowHintShown()) &&
      TaskTrayIcon1.ShowBalloon(kOverflowHintTitle, kOverflowHintText))
    FSettingsStore.RememberOverflowHint();
}

// Nobody can see the eyes: nothing is composed or handed to the shell.
void TFrmMain::RestEyes() { Timer1.SetEnabled(false); }

void TFrmMain::WakeEyes() {
  FEyes.Wake(seams::TickCount());
  FPublisher.Forget();
  Timer1.SetEnabled(true);
}

LRESULT TFrmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // A power broadcast handled answers TRUE; the session's message takes any answer.
  if (FRestWatch.HandleMessage(message, wParam, lParam)) return TRUE;
  // A new display scale, or a new shell whose task bar may stand on another
  // monitor: the icons take the size the shell now shows.
  if (message == WM_DPICHANGED || message == WM_SETTINGCHANGE || message == WM_DISPLAYCHANGE ||
      message == TTaskTrayIcon::TaskbarCreatedMessage())
    LoadImages();
  return TForm::HandleMessage(message, wParam, lParam);
}

void TFrmMain::TaskTrayIcon1Click(TObject*) { FEyes.StartBlink(); }

void TFrmMain::TaskTrayIcon2Click(TObject*) { FEyes.StartBlink(); }

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
TDialog* TFrmMain::Made(TDialog*& dialog) {
  if (dialog == nullptr) dialog = Application().CreateForm<TDialog>();
  return dialog;
}

void TFrmMain::MnuConfigClick(TObject*) {
  if (BringOpenDialogForward() || Made(DlgSetting) == nullptr) return;
  DlgSetting->SetEyeList(&FEyes.Images().FEyeList);
  DlgSetting->SetValues(FSettings.FType, FSettings.FBlink, FSettings.FBlinkInterval);
  if (DlgSetting->ShowModal() == mrCancel) return;
  DlgSetting->GetValues(FSettings.FType, FSettings.FBlink, FSettings.FBlinkInterval);
  SaveSettings();
}

void TFrmMain::MnuAboutClick(TObject*) {
  if (!BringOpenDialogForward() && Made(DlgAbout) != nullptr) DlgAbout->ShowModal();
}

void TFrmMain::MnuExitClick(TObject*) { Close(); }

}  // namespace tovi
