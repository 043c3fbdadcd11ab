#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/bitmap_list.h"
#include "core/raster.h"

namespace tovi {

// The look of the eyes, loaded once at start from the pictures beside the program.
struct TImageSet {
  TRaster FBaseBitmap;  // the eye without pupil, transparent places black
  TRaster FBaseMask;    // white where the base is transparent
  TBitmapList FCapList;  // eyelid frames, from barely to fully closed
  std::vector<std::int32_t> FBlinkSequence;  // eyelid frame of each step of one blink
  TBitmapList FEyeList;  // pupil pictures
};

enum class TLoadStatus { Loaded, Missing, Unreadable };

// Reads one picture file of the image folder by its bare file name, keeping
// no more of it than its top-left size by size pixels.
class TImageLoader {
 public:
  virtual ~TImageLoader() = default;
  virtual TLoadStatus Load(const std::string& fileName, int size, TKeyedPicture& picture) = 0;
};

// The image set cannot be used: a required picture is missing, or a picture
// that is there cannot be read.
class EImageSetError : public std::runtime_error {
 public:
  EImageSetError(TLoadStatus problem, std::string fileName)
      : std::runtime_error(fileName), Problem(problem), FileName(std::move(fileName)) {}
  TLoadStatus Problem;
  std::string FileName;
};

// The frames of one blink for n eyelid pictures: 0, 1, … n-1, … 1, 0.
std::vector<std::int32_t> BlinkSequence(std::int32_t frameCount);

// Loads "base.bmp", the "cap" series (at least cap1.bmp) and the "eye" series
// (perhaps empty) for eyes of size by size pixels, of which no picture can
// show more; a series ends at the first number with no file. Throws
// EImageSetError.
TImageSet LoadImageSet(TImageLoader& loader, int size);

}  // namespace tovi
