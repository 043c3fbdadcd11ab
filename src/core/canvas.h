#pragma once

#include "core/raster.h"

namespace tovi {

// A surface that pictures are drawn onto unscaled, combined with what is
// there through the surface's current copy mode.
class TCanvas {
 public:
  virtual ~TCanvas() = default;
  virtual TRasterOp CopyMode() const = 0;
  virtual void SetCopyMode(TRasterOp mode) = 0;
  virtual void Draw(int x, int y, const TRaster& picture) = 0;
};

// A canvas over a picture in memory.
class TRasterCanvas final : public TCanvas {
 public:
  explicit TRasterCanvas(TRaster& target) : FTarget(target) {}
  TRasterOp CopyMode() const override { return FCopyMode; }
  void SetCopyMode(TRasterOp mode) override { FCopyMode = mode; }
  void Draw(int x, int y, const TRaster& picture) override { FTarget.Draw(picture, x, y, FCopyMode); }

 private:
  TRaster& FTarget;
  TRasterOp FCopyMode = TRasterOp::Copy;
};

}  // namespace tovi
