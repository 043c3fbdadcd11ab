#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/component.h"

namespace tovi {

class TForm;

using TExceptionEvent = std::function<void(TObject* sender, const std::wstring& text)>;

// The one application object: owns the forms, runs the message loop and
// reports errors that leave an event handler.
class TApplication {
 public:
  TApplication();
  ~TApplication();
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;

  // Creates a form owned by the application; the first becomes the main form.
  // A form that fails to come into being is reported and null is returned.
  template <typename TFormClass>
  TFormClass* CreateForm() {
    try {
      auto form = std::make_unique<TFormClass>();
      TFormClass* created = form.get();
      FForms.push_back(std::move(form));
      if (FMainForm == nullptr) FMainForm = created;
      return created;
    } catch (...) {
      HandleException(nullptr);
      return nullptr;
    }
  }

  TForm* MainForm() const { return FMainForm; }

  // Runs the message loop until Terminate.
  void Run();
  void Terminate();
  // Dispatches every message that is waiting, then returns.
  void ProcessMessages();

  // Reports the exception being handled: OnException when assigned, else a
  // message box with the error's text, owned by the main form. Call it only
  // inside a catch block. Boxes come one at a time: an error raised while one
  // is open waits its turn, unless it is the same as one showing or waiting.
  void HandleException(TObject* sender);

  std::wstring Title;
  TExceptionEvent OnException;

 private:
  void Dispatch(MSG& message);
  void ShowError(const std::wstring& text);

  std::vector<std::unique_ptr<TForm>> FForms;
  TForm* FMainForm = nullptr;
  bool FTerminated = false;
  // The error in the open box, then those waiting for it to close.
  std::deque<std::wstring> FErrors;
};

// The application object of this process.
TApplication& Application();

}  // namespace tovi
