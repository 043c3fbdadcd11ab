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

// One object per window, its messages handled by HandleMessage; an exception
// that leaves it goes to the application's error report, and the message
// counts as handled. A class not yet registered is ours, registered on first
// use; a window of the platform's classes (a standard control) comes through
// here too, its class's procedure answering what HandleMessage leaves alone.
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
    // Taken by the first window of a class of ours, which registers the class.
    UINT ClassStyle = 0;
  };
  // Throws EToviError on failure.
  void CreateHandle(const TCreateParams& params);
  void DestroyHandle();
  // From here on the window's messages no longer reach the object: it answers them as its class would. For an
  // object whose parts begin to go while its window lives on, until this base destroys it.
  void StopMessages() { FStopped = true; }

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Who is named as the sender when a message handler fails.
  virtual TObject* ErrorSender() { return nullptr; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND FHandle = nullptr;
  WNDPROC FClassProc = nullptr;
  bool FStopped = false;
};

}  // namespace tovi
