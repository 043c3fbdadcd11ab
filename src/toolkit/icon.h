#pragma once

#include <windows.h>

#include <memory>

#include "core/raster.h"
#include "toolkit/handles.h"

namespace tovi {

// Makes an icon of a picture and its mask (same size): white mask pixels are
// transparent, where the picture must be black. Throws EToviError.
TUniqueIcon IconFromPicture(const TRaster& picture, const TRaster& mask);

// An icon of the program's resources at size by size: the image whose whole
// multiples fill that size best, its pixels made uniform blocks, never blurred.
TUniqueIcon ResourceIconAtSize(int resource, int size);

// An icon object. Assigning one to another shares the picture: nothing is
// copied, and the picture lives as long as any object holds it.
class TIcon {
 public:
  TIcon() = default;
  explicit TIcon(TUniqueIcon picture);

  // Takes on the picture of source; null empties this object.
  void Assign(const TIcon* source) { FPicture = source ? source->FPicture : nullptr; }
  // Null when the object holds no picture.
  HICON Handle() const { return FPicture ? FPicture->Get() : nullptr; }

 private:
  std::shared_ptr<const TUniqueIcon> FPicture;
};

}  // namespace tovi
