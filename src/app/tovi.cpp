#include <windows.h>

#include "app/main_form.h"
#include "toolkit/application.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  tovi::TApplication application;
  application.Title = L"Tovi";
  // A main form that cannot come into being (a broken picture, say) has been
  // reported; the program then ends in order.
  if (application.CreateForm<tovi::TFrmMain>() == nullptr) return 1;
  application.Run();
  return 0;
}
