#pragma once

// A memory DC over a 32-bit bitmap, for reading back what was painted.

#include <windows.h>

#include "core/raster.h"
#include "toolkit/dc_canvas.h"
#include "toolkit/handles.h"

namespace tovi::testing {

class TSurface {
 public:
  // Prefilled with `fill`, best a colour nothing under test paints.
  TSurface(int width, int height, TColorRef fill) : Width(width), Height(height), Select(Dc.Get(), Bitmap.Get()) {
    TDcCanvas(Dc.Get()).Draw(0, 0, TRaster(width, height, fill));
  }
  TRaster Picture() const {
    TRaster picture(Width, Height);
    for (int y = 0; y < Height; ++y)
      for (int x = 0; x < Width; ++x) picture.SetPixel(x, y, GetPixel(Dc.Get(), x, y));
    return picture;
  }
  const int Width, Height;
  TUniqueMemoryDc Dc{CreateCompatibleDC(nullptr)};
  TUniqueBitmap Bitmap{CreateBitmap(Width, Height, 1, 32, nullptr)};
  TSelectGuard Select;
};

// What a window paints of its client area over `fill`.
inline TRaster Printed(HWND window, TColorRef fill) {
  RECT client{};
  GetClientRect(window, &client);
  const TSurface surface(client.right, client.bottom, fill);
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.Dc.Get()), PRF_CLIENT);
  return surface.Picture();
}

}  // namespace tovi::testing
