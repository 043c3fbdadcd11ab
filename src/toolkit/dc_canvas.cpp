#include "toolkit/dc_canvas.h"

namespace tovi {
BITMAPINFO DibHeaderFor(const TRaster& picture) {
  BITMAPINFO info{};
  // A negative height: rows run top-down.
  info.bmiHeader = {sizeof info.bmiHeader, picture.Width(), -picture.Height(), 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  return info;
}

void TDcCanvas::Draw(int x, int y, const TRaster& picture) {
  if (picture.Empty()) return;
  const BITMAPINFO info = DibHeaderFor(picture);
  const DWORD rop = FCopyMode == TRasterOp::And ? SRCAND : FCopyMode == TRasterOp::Or ? SRCPAINT : SRCCOPY;
  StretchDIBits(FDc, x, y, picture.Width(), picture.Height(), 0, 0, picture.Width(), picture.Height(),
                picture.Bits().data(), &info, DIB_RGB_COLORS, rop);
}

}  // namespace tovi
