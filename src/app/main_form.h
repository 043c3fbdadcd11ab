#pragma once

#include <optional>
#include <string>

#include "app/eye_publisher.h"
#include "app/settings_store.h"
#include "components/rest_watch.h"
#include "components/task_tray_icon.h"
#include "core/eyes.h"
#include "core/eyes_place.h"
#include "core/settings.h"
#include "dialogs/about_dialog.h"
#include "dialogs/setting_dialog.h"
#include "toolkit/files.h"
#include "toolkit/form.h"
#include "toolkit/popup_menu.h"
#include "toolkit/task_bar.h"
#include "toolkit/timer.h"

namespace tovi {

// The hidden main form: it owns the two tray icons that make the pair of
// eyes, the timer that moves them, the menu, the pictures and the settings.
// It is never shown. While nothing the eyes show can change, it sleeps: no
// tick runs until the mouse moves, an eye is clicked, the next automatic blink
// is due or the world around the eyes changes.
class TFrmMain final : public TForm {
 public:
  // folder: where the pictures and tovi.ini are, the program's own by default.
  explicit TFrmMain(std::wstring folder = ProgramFolder());
  ~TFrmMain() override;

  void Timer1Timer(TObject* sender);
  void TaskTrayIcon1Click(TObject* sender);
  void TaskTrayIcon2Click(TObject* sender);
  void MnuConfigClick(TObject* sender);
  void MnuAboutClick(TObject* sender);
  void MnuExitClick(TObject* sender);

  // Components, in the order the form creates them.
  TTaskTrayIcon TaskTrayIcon1{this};
  TTaskTrayIcon TaskTrayIcon2{this};
  TTimer Timer1{this, *this};
  TPopupMenu PopupMenu{*this};

  // The dialogs, made when first opened, owned by the application and kept for the run.
  TDlgAbout* DlgAbout = nullptr;
  TDlgSetting* DlgSetting = nullptr;

  EyeSettings FSettings;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FormCreate();
  void FormDestroy();
  void LoadSettings();
  void SaveSettings();
  void LoadImages();
  TRect GetTrayRect();
  // What the eyes look out from: the two icons where the shell tells where
  // they are, else the notification area.
  TRect EyesPlace() const;
  // Once a second: asleep, whether the cursor moved; awake, the shell asked
  // about programs in front and where the eyes are.
  void Refresh();
  void RefreshPlaces();
  // The 10-ms tick stops until the mouse moves or, if blinkIn is given, the blink due that many ms on.
  void FallAsleep(std::optional<std::uint32_t> blinkIn);
  // Sleeping eyes tick again: something may have changed what they show.
  void WakeUp();
  // Neither the blink's timer nor the mouse's raw input wakes the eyes any more.
  void EndSleep();
  bool SetRawMouseInput(bool on);
  void RestEyes();
  void WakeEyes();
  // The once-a-second refresh runs, except during a rest that only a message can end (a lock, the display off).
  void UpdateRefresh();
  // One dialog at a time: an open one comes to the front instead of another.
  bool BringOpenDialogForward();
  // The dialog, made at its first opening: a start makes only what it shows.
  template <typename TDialog>
  TDialog* MadeOnFirstUse(TDialog*& dialog);

  std::wstring FFolder;
  TSettingsStore FSettingsStore;
  TEyes FEyes;
  TEyePublisher FPublisher{TaskTrayIcon1, TaskTrayIcon2};
  TNotificationArea FNotificationArea;
  TRestWatch FRestWatch{this, Handle()};
  TRect FTrayRect;
  TIconPlaces FIconPlaces;
  TPoint FLastCursor;  // where the last tick saw the cursor
  bool FSleeping = false;
  // Without mouse input to wake them, the eyes never sleep.
  bool FRawInputRefused = false;
  TTimer FBlinkTimer{this, *this};
  TTimer FRefreshTimer{this, *this};
};

}  // namespace tovi
