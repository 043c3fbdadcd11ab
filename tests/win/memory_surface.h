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

// What a window paints of its client area over `fill` when asked by `message`.
inline TRaster Printed(HWND window, TColorRef fill, UINT message = WM_PRINTCLIENT, LPARAM flags = PRF_CLIENT) {
  RECT client{};
  GetClientRect(window, &client);
  const TSurface surface(client.right, client.bottom, fill);
  SendMessageW(window, message, reinterpret_cast<WPARAM>(surface.Dc.Get()), flags);
  return surface.Picture();
}

inline TRaster Crop(const TRaster& picture, int left, int top, int width, int height) {
  TRaster cropped(width, height);
  cropped.Draw(picture, -left, -top, TRasterOp::Copy);
  return cropped;
}

}  // namespace tovi::testing
