#include "toolkit/window.h"

#include <utility>

#include "toolkit/application.h"
#include "toolkit/errors.h"

namespace tovi {

TWindow::~TWindow() { DestroyHandle(); }

void TWindow::CreateHandle(const TCreateParams& params) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  if (!GetClassInfoExW(instance, params.ClassName, &windowClass)) {
    windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = params.ClassStyle;
    windowClass.lpfnWndProc = &TWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = params.ClassName;
    if (!RegisterClassExW(&windowClass)) throw EToviError(L"ウィンドウクラスを登録できません");
  }
  const bool ours = windowClass.lpfnWndProc == &TWindow::WindowProc;
  const TBounds& b = params.Bounds;
  const HWND window = CreateWindowExW(params.ExStyle, params.ClassName, params.Title, params.Style, b.Left, b.Top,
                                      b.Width, b.Height, params.Parent, nullptr, instance, ours ? this : nullptr);
  if (!window) throw EToviError(L"ウィンドウを作れません");
  if (!ours) {
    FHandle = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    FClassProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWindow::WindowProc)));
  }
}

void TWindow::DestroyHandle() {
  if (FHandle) DestroyWindow(FHandle);
}

LRESULT TWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (FClassProc) return CallWindowProcW(FClassProc, FHandle, message, wParam, lParam);
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
    if (const WNDPROC classProc = std::exchange(self->FClassProc, nullptr))
      return CallWindowProcW(classProc, window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
  }
  if (self->FStopped) return self->TWindow::HandleMessage(message, wParam, lParam);
  // No exception may cross the platform's frames on its way back to the loop.
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    Application().HandleException(self->ErrorSender());
    return 0;
  }
}

}  // namespace tovi
