#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/raster.h"

namespace tovi {

// How the push button is drawn, as plain arithmetic: the frame it gets, its
// colours, which glyph image it shows and where glyph and caption go. The
// control gathers its state, asks here, and draws the answer with GDI.

enum class TQuickButtonLayout : std::uint8_t { qblGlyphLeft, qblGlyphRight, qblGlyphTop, qblGlyphBottom };
enum class TQuickButtonStyle : std::uint8_t { qbsDefault, qbsRound };

// What the look depends on besides colours and sizes.
struct TButtonLookState {
  TQuickButtonStyle Style = TQuickButtonStyle::qbsDefault;
  int Contrast = 20;
  bool Flat = false;
  bool MouseInControl = false;
  bool Down = false;
  bool Pressed = false;
  bool Enabled = true;
};

// The colours the look starts from, already resolved to 0x00BBGGRR.
struct TButtonPalette {
  TColorRef BaseColor;
  TColorRef Color;
  TColorRef BtnHighlight;
  TColorRef BtnShadow;
};

struct TButtonColours {
  TColorRef Face;       // the round frame's middle shade; the face of a button that is not down
  std::int64_t Step;    // the round frame's shading step
  TColorRef Highlight;  // face of a down button; the light half of anything etched
  TColorRef Shadow;     // the dark half of anything etched
  TColorRef Fill;       // what the content area is filled with
};

enum class TFrameKind {
  None,             // a flat button with the mouse elsewhere
  RaisedEdge,       // DrawEdge EDGE_RAISED
  SunkenEdge,       // DrawEdge EDGE_SUNKEN
  RaisedInnerEdge,  // DrawEdge BDR_RAISEDINNER: a flat button under the mouse
  SunkenInnerEdge,  // DrawEdge BDR_SUNKENINNER
  Round,            // the octagon of DrawRoundFrame
  RoundTooSmall,    // the face colour alone: no room for the octagon
};

struct TButtonFrame {
  TFrameKind Kind;
  int Inset;  // by how much the content area lies inside the control on every side
};

struct TGlyphChoice {
  int Image;    // position in the strip
  bool Etched;  // drawn as a shadow with a highlight offset, not copied
};

struct TContentInput {
  TQuickButtonLayout Layout = TQuickButtonLayout::qblGlyphLeft;
  int Margin = -1;  // -1 centres; otherwise the leading element's offset in the content area
  int Width = 0;    // the control's whole size
  int Height = 0;
  int Inset = 0;
  int Shift = 0;      // 1 while down or pressed
  int GlyphSize = 0;  // images are square: the strip's height
  int TextWidth = 0;
  int TextHeight = 0;
  int Gap = 0;
};

// Top-left corners in the content area.
struct TContentPlace {
  TPoint Glyph;
  TPoint Text;
  friend bool operator==(const TContentPlace&, const TContentPlace&) = default;
};

// One pen's run of lines: each from a point to the next, end point excluded.
struct TPolyline {
  TColorRef Colour;
  std::vector<TPoint> Points;
};

struct TRoundFrame {
  std::array<TPolyline, 6> Lines;  // in drawing order: outline, c1, c2, face, c3, c4
  TColorRef DotColour;             // two single pixels that the lines leave out
  std::array<TPoint, 2> Dots;
};

struct TPixelPaint {
  TPoint At;
  TColorRef Colour;
};

inline constexpr TColorRef kButtonOutline = kBlack;
inline constexpr int kRoundInset = 4;
inline constexpr int kRoundMinimum = 6;  // narrower or lower than this: no room for the octagon
inline constexpr int kCaptionGap = 4;

// Adds step to each channel, saturating at 0 and 255. Steps are 64-bit so
// that twice any Contrast stays exact.
TColorRef ShadeColor(TColorRef colour, std::int64_t step);

int ContentShift(const TButtonLookState& state);
TButtonColours ButtonColours(const TButtonLookState& state, const TButtonPalette& palette);
TButtonFrame ChooseFrame(const TButtonLookState& state, int width, int height);
TGlyphChoice ChooseGlyphImage(const TButtonLookState& state, int glyphCount);

// Images in a strip of square images; any columns left over hold none.
int GlyphCountOf(int width, int height);
// The space between glyph and caption; a caption that is not shown counts as empty.
int CaptionGap(bool showCaption, bool captionEmpty);
TContentPlace PlaceContent(const TContentInput& input);

bool RoundFrameFits(const TRect& r);
// The octagon frame inside r, for a rectangle where it fits.
TRoundFrame RoundFrameLines(const TRect& r, TColorRef face, std::int64_t step, bool sunken);

// One square image of the strip with the key colour (the strip's bottom-left
// pixel) turned into fill; pixels past the strip's end are fill too.
TRaster GlyphCell(const TRaster& glyph, int image, TColorRef fill);
// Image 0's shape in shadow, with a highlight copy one pixel right and down
// showing only beside it; positions are relative to the image.
std::vector<TPixelPaint> EtchedGlyphPixels(const TRaster& glyph, TColorRef shadow, TColorRef highlight);

}  // namespace tovi
