#include "toolkit/application.h"

#include <algorithm>
#include <cassert>

#include "toolkit/errors.h"
#include "toolkit/form.h"

namespace tovi {
namespace {

TApplication* TheApplication = nullptr;

}  // namespace

TApplication& Application() {
  assert(TheApplication != nullptr);
  return *TheApplication;
}

TApplication::TApplication() {
  assert(TheApplication == nullptr);
  TheApplication = this;
}

TApplication::~TApplication() {
  // The last created goes first, so the main form outlives the dialogs.
  while (!FForms.empty()) FForms.pop_back();
  FMainForm = nullptr;
  TheApplication = nullptr;
}

void TApplication::Dispatch(MSG& message) {
  // Only keys make characters: for the timer's ticks, asking would be one more system call each.
  if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) TranslateMessage(&message);
  DispatchMessageW(&message);
}

void TApplication::Run() {
  MSG message;
  while (!FTerminated && GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message);
  FTerminated = true;
  // Terminate's quit may still wait in the queue; left there, it would end at
  // once every message box of the shutdown, such as a refused save's report.
  PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

void TApplication::Terminate() {
  if (!FTerminated) PostQuitMessage(0);
  FTerminated = true;
}

void TApplication::ProcessMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Leave the quit for the loop that is meant to end on it.
      PostQuitMessage(static_cast<int>(message.wParam));
      FTerminated = true;
      return;
    }
    Dispatch(message);
  }
}

void TApplication::HandleException(TObject* sender) {
  const std::wstring text = ExceptionText(std::current_exception());
  if (OnException) OnException(sender, text);
  else ShowError(text);
}

void TApplication::ShowError(const std::wstring& text) {
  // A failure that repeats on every tick must not stack up message boxes.
  if (std::ranges::find(FErrors, text) != FErrors.end()) return;
  FErrors.push_back(text);
  // The box's own loop may report more: the outermost call shows them in turn.
  if (FErrors.size() > 1) return;
  while (!FErrors.empty()) {
    // Owned by the hidden main form, the box gets no task-bar button of its own.
    MessageBoxW(FMainForm ? FMainForm->Handle() : nullptr, FErrors.front().c_str(), Title.c_str(),
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    FErrors.pop_front();
  }
}

}  // namespace tovi
