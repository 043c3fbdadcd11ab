#pragma once

#include <windows.h>

#include <utility>

namespace tovi {

// Move-only owner of one platform handle of type THandle, freed by Close.
// Copying does not compile, as the moves are declared: two owners of one
// handle would free it twice.
template <typename THandle, auto Close>
class TUnique {
 public:
  TUnique() = default;
  explicit TUnique(THandle handle) : FHandle(handle) {}
  ~TUnique() { Reset(); }
  TUnique(TUnique&& other) noexcept : FHandle(other.Release()) {}
  TUnique& operator=(TUnique&& other) noexcept {
    Reset(other.Release());
    return *this;
  }

  THandle Get() const { return FHandle; }
  explicit operator bool() const { return FHandle != THandle{}; }
  THandle Release() { return std::exchange(FHandle, THandle{}); }
  void Reset(THandle handle = THandle{}) {
    if (THandle old = std::exchange(FHandle, handle)) Close(old);
  }

 private:
  THandle FHandle{};
};

using TUniqueIcon = TUnique<HICON, &DestroyIcon>;
using TUniqueFont = TUnique<HFONT, &DeleteObject>;
using TUniqueBrush = TUnique<HBRUSH, &DeleteObject>;
using TUniquePen = TUnique<HPEN, &DeleteObject>;
using TUniqueBitmap = TUnique<HBITMAP, &DeleteObject>;
using TUniqueMemoryDc = TUnique<HDC, &DeleteDC>;
using TUniqueMenu = TUnique<HMENU, &DestroyMenu>;
// Files and file mappings; null, not INVALID_HANDLE_VALUE, stands for none.
using TUniqueKernelObject = TUnique<HANDLE, &CloseHandle>;
using TUniqueFileView = TUnique<const void*, &UnmapViewOfFile>;

// The screen's device context, borrowed with GetDC(nullptr) and given back.
inline void ReleaseScreenDc(HDC dc) { ReleaseDC(nullptr, dc); }
using TScreenDc = TUnique<HDC, &ReleaseScreenDc>;

// The paint of one WM_PAINT, ended whatever the painting does.
class TPaintDc {
 public:
  explicit TPaintDc(HWND window) : FWindow(window) { BeginPaint(window, &FPaint); }
  ~TPaintDc() { EndPaint(FWindow, &FPaint); }
  TPaintDc(const TPaintDc&) = delete;
  TPaintDc& operator=(const TPaintDc&) = delete;
  HDC Get() const { return FPaint.hdc; }

 private:
  HWND FWindow;
  PAINTSTRUCT FPaint{};
};

// Selects an object into a device context and puts the previous one back.
class TSelectGuard {
 public:
  TSelectGuard(HDC dc, HGDIOBJ object) : FDc(dc), FOld(SelectObject(dc, object)) {}
  ~TSelectGuard() {
    if (FOld) SelectObject(FDc, FOld);
  }
  TSelectGuard(const TSelectGuard&) = delete;
  TSelectGuard& operator=(const TSelectGuard&) = delete;

 private:
  HDC FDc;
  HGDIOBJ FOld;
};

}  // namespace tovi
