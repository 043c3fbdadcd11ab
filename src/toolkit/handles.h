#pragma once

#include <windows.h>

#include <string>
#include <utility>

namespace tovi {

// Move-only owner of one platform handle; Traits::Close frees it.
template <typename Traits>
class TUniqueHandle {
 public:
  using THandle = typename Traits::THandle;

  TUniqueHandle() = default;
  explicit TUniqueHandle(THandle handle) : FHandle(handle) {}
  ~TUniqueHandle() { Reset(); }
  TUniqueHandle(TUniqueHandle&& other) noexcept : FHandle(other.Release()) {}
  TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  TUniqueHandle(const TUniqueHandle&) = delete;
  TUniqueHandle& operator=(const TUniqueHandle&) = delete;

  THandle Get() const { return FHandle; }
  explicit operator bool() const { return FHandle != THandle{}; }
  THandle Release() { return std::exchange(FHandle, THandle{}); }
  void Reset(THandle handle = THandle{}) {
    if (THandle old = std::exchange(FHandle, handle)) Traits::Close(old);
  }

 private:
  THandle FHandle{};
};

struct TIconTraits {
  using THandle = HICON;
  static void Close(HICON h) { DestroyIcon(h); }
};
struct TGdiObjectTraits {
  using THandle = HGDIOBJ;
  static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct TBitmapTraits {
  using THandle = HBITMAP;
  static void Close(HBITMAP h) { DeleteObject(h); }
};
struct TMemoryDcTraits {
  using THandle = HDC;
  static void Close(HDC h) { DeleteDC(h); }
};
struct TMenuTraits {
  using THandle = HMENU;
  static void Close(HMENU h) { DestroyMenu(h); }
};

// Files and file mappings.
struct TKernelObjectTraits {
  using THandle = HANDLE;
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct TFileViewTraits {
  using THandle = const void*;
  static void Close(const void* view) { UnmapViewOfFile(view); }
};

using TUniqueIcon = TUniqueHandle<TIconTraits>;
using TUniqueGdiObject = TUniqueHandle<TGdiObjectTraits>;
using TUniqueBitmap = TUniqueHandle<TBitmapTraits>;
using TUniqueMemoryDc = TUniqueHandle<TMemoryDcTraits>;
using TUniqueMenu = TUniqueHandle<TMenuTraits>;
using TUniqueKernelObject = TUniqueHandle<TKernelObjectTraits>;
using TUniqueFileView = TUniqueHandle<TFileViewTraits>;

// CreateFileW fails with INVALID_HANDLE_VALUE, where the owner knows only null.
inline TUniqueKernelObject OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
  const HANDLE file = CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return TUniqueKernelObject(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

// A device context borrowed from a window (or the screen) and given back.
class TWindowDc {
 public:
  explicit TWindowDc(HWND window) : FWindow(window), FDc(GetDC(window)) {}
  ~TWindowDc() {
    if (FDc) ReleaseDC(FWindow, FDc);
  }
  TWindowDc(const TWindowDc&) = delete;
  TWindowDc& operator=(const TWindowDc&) = delete;
  HDC Get() const { return FDc; }

 private:
  HWND FWindow;
  HDC FDc;
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
