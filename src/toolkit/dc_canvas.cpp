#include "toolkit/dc_canvas.h"

namespace tovi {
namespace {

DWORD RasterOperation(TRasterOp op) {
  switch (op) {
    case TRasterOp::And: return SRCAND;
    case TRasterOp::Or: return SRCPAINT;
    case TRasterOp::Copy: break;
  }
  return SRCCOPY;
}

}  // namespace

BITMAPINFO DibHeaderFor(const TRaster& picture) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.Width();
  info.bmiHeader.biHeight = -picture.Height();  // negative: rows run top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

void TDcCanvas::Draw(int x, int y, const TRaster& picture) {
  if (picture.Empty()) return;
  const BITMAPINFO info = DibHeaderFor(picture);
  StretchDIBits(FDc, x, y, picture.Width(), picture.Height(), 0, 0, picture.Width(), picture.Height(),
                picture.Bits().data(), &info, DIB_RGB_COLORS, RasterOperation(FCopyMode));
}

}  // namespace tovi
