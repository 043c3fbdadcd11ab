#include <windows.h>

#include "app/main_form.h"
#include "toolkit/application.h"
#include "toolkit/folder_claim.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Another copy from this folder shows the eyes and keeps their settings:
  // this one ends before it makes a window or touches a file. The claim
  // outlives the application, whose end saves the settings.
  const tovi::TFolderClaim claim = tovi::ClaimProgramFolder();
  if (claim.HeldElsewhere()) return 0;
  tovi::TApplication application;
  application.Title = L"Tovi";
  // A main form that cannot come into being (a broken picture, say) has been
  // reported; the program then ends in order.
  if (application.CreateForm<tovi::TFrmMain>() == nullptr) return 1;
  application.Run();
  return 0;
}
