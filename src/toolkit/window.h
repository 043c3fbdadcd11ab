#pragma once

#include <windows.h>

namespace tovi {

class TObject;

// Where a window sits, in pixels: for a control, in its form's client area.
struct TBounds {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

// One object per window, which it destroys. A window of a class of ours
// (CreateHandle) has its messages handled by HandleMessage: an exception that
// leaves it goes to the application's error report, and the message counts as
// handled. A control of one of the platform's classes (CreatePlatformWindow)
// keeps its class's procedure: its messages never reach the object, and what
// it reports goes to its parent.
class TWindow {
 public:
  TWindow() = default;
  virtual ~TWindow();
  TWindow(const TWindow&) = delete;
  TWindow& operator=(const TWindow&) = delete;

  HWND Handle() const { return FHandle; }

 protected:
  struct TCreateParams {
    const wchar_t* ClassName;
    const wchar_t* Title = L"";
    DWORD Style = 0;
    DWORD ExStyle = 0;
    HWND Parent = nullptr;
    TBounds Bounds{};
    // A child's control identifier, which names it in its parent's messages.
    WORD ControlId = 0;
    // The style of a class of ours, which its first window registers.
    UINT ClassStyle = 0;
  };
  // A window of a class of ours, registered by its name with the first window
  // made of it. Throws EToviError.
  void CreateHandle(const TCreateParams& params);
  // A control of one of the platform's classes, as its class makes it. Throws EToviError.
  void CreatePlatformWindow(const TCreateParams& params);
  void DestroyHandle();
  // From here on the window's messages no longer reach the object; the platform's
  // defaults answer them. For an object whose parts begin to go while its
  // window lives on, until this base destroys it.
  void StopMessages() { FStopped = true; }

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Who is named as the sender when a message handler fails.
  virtual TObject* ErrorSender() { return nullptr; }

 private:
  // receiver: the object a window of ours is made for, else null.
  static HWND Create(const TCreateParams& params, TWindow* receiver);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND FHandle = nullptr;
  bool FStopped = false;
};

}  // namespace tovi
