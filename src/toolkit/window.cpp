#include "toolkit/window.h"

#include "toolkit/application.h"
#include "toolkit/errors.h"

namespace tovi {

TWindow::~TWindow() { DestroyHandle(); }

HWND TWindow::Create(const TCreateParams& params, TWindow* receiver) {
  const TBounds& b = params.Bounds;
  const HWND window = CreateWindowExW(params.ExStyle, params.ClassName, params.Title, params.Style, b.Left, b.Top,
                                      b.Width, b.Height, params.Parent,
                                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(params.ControlId)),
                                      GetModuleHandleW(nullptr), receiver);
  if (!window) throw EToviError(L"ウィンドウを作れません");
  return window;
}

void TWindow::CreateHandle(const TCreateParams& params) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = params.ClassStyle;
  windowClass.lpfnWndProc = &TWindow::WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = params.ClassName;
  // The first window of the class registers it; to the later ones the platform answers that it has it.
  if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw EToviError(L"ウィンドウクラスを登録できません");
  // WM_NCCREATE gives this object the handle.
  Create(params, this);
}

void TWindow::CreatePlatformWindow(const TCreateParams& params) { FHandle = Create(params, nullptr); }

void TWindow::DestroyHandle() {
  if (FHandle) DestroyWindow(FHandle);
  // Ours is forgotten at WM_NCDESTROY; a platform control's window goes without a word to the object.
  FHandle = nullptr;
}

LRESULT TWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(FHandle, message, wParam, lParam);
}

LRESULT CALLBACK TWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->FHandle = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->FHandle = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  if (self->FStopped) return DefWindowProcW(window, message, wParam, lParam);
  // No exception may cross the platform's frames on its way back to the loop.
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    Application().HandleException(self->ErrorSender());
    return 0;
  }
}

}  // namespace tovi
