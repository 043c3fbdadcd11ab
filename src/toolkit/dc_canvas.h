#pragma once

#include <windows.h>

#include "core/canvas.h"

namespace tovi {

// A canvas over a device context: pictures from memory reach it in one
// raster copy through the canvas's copy mode.
class TDcCanvas final : public TCanvas {
 public:
  explicit TDcCanvas(HDC dc) : FDc(dc) {}
  TRasterOp CopyMode() const override { return FCopyMode; }
  void SetCopyMode(TRasterOp mode) override { FCopyMode = mode; }
  void Draw(int x, int y, const TRaster& picture) override;

 private:
  HDC FDc;
  TRasterOp FCopyMode = TRasterOp::Copy;
};

// The DIB header that describes a picture's rows (32 bits, top-down).
BITMAPINFO DibHeaderFor(const TRaster& picture);

}  // namespace tovi
