#include "core/quick_button_look.h"

#include <algorithm>
#include <cstdint>

namespace tovi {
namespace {

// The step that a negative Contrast falls back to.
constexpr std::int64_t kFallbackStep = 20;

std::uint32_t ShadeChannel(TColorRef colour, int shift, std::int64_t step) {
  const std::int64_t channel = (colour >> shift) & 0xFF;
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(channel + step, 0, 255)) << shift;
}

bool UsesSystemShades(const TButtonLookState& state) {
  return state.Style == TQuickButtonStyle::qbsDefault || state.Contrast < 0;
}

// Whether the strip has a pixel at (x, y) that is not the key colour.
bool Inked(const TRaster& glyph, int x, int y, TColorRef key) {
  return x < glyph.Width() && glyph.Pixel(x, y) != key;
}

}  // namespace

TColorRef ShadeColor(TColorRef colour, std::int64_t step) {
  return ShadeChannel(colour, 0, step) | ShadeChannel(colour, 8, step) | ShadeChannel(colour, 16, step);
}

int ContentShift(const TButtonLookState& state) { return state.Down || state.Pressed ? 1 : 0; }

TButtonColours ButtonColours(const TButtonLookState& state, const TButtonPalette& palette) {
  const bool round = state.Style == TQuickButtonStyle::qbsRound;
  const std::int64_t contrast = state.Contrast;
  TButtonColours colours{};
  colours.Face = round && contrast >= 0 ? palette.BaseColor : palette.Color;
  colours.Step = contrast >= 0 ? contrast : kFallbackStep;
  colours.Highlight = UsesSystemShades(state) ? palette.BtnHighlight : ShadeColor(palette.BaseColor, 2 * contrast);
  colours.Shadow = UsesSystemShades(state) ? palette.BtnShadow : ShadeColor(palette.BaseColor, -2 * contrast);
  colours.Fill = state.Down ? colours.Highlight : colours.Face;
  return colours;
}

TButtonFrame ChooseFrame(const TButtonLookState& state, int width, int height) {
  const bool sunken = state.Down || state.Pressed;
  if (state.Style == TQuickButtonStyle::qbsRound) {
    if (!RoundFrameFits({0, 0, width, height})) return {TFrameKind::RoundTooSmall, 0};
    return {TFrameKind::Round, kRoundInset};
  }
  if (!state.Flat) return {sunken ? TFrameKind::SunkenEdge : TFrameKind::RaisedEdge, 2};
  if (state.MouseInControl || state.Down)
    return {sunken ? TFrameKind::SunkenInnerEdge : TFrameKind::RaisedInnerEdge, 1};
  return {TFrameKind::None, 0};
}

TGlyphChoice ChooseGlyphImage(const TButtonLookState& state, int glyphCount) {
  if (!state.Enabled) return glyphCount >= 2 ? TGlyphChoice{1, false} : TGlyphChoice{0, true};
  int image = 0;
  if (glyphCount >= 4 && state.Down) image = 3;
  // Pressed wins over down.
  if (glyphCount >= 3 && state.Pressed) image = 2;
  return {image, false};
}

int GlyphCountOf(int width, int height) { return height >= 1 ? width / height : 0; }

int CaptionGap(bool showCaption, bool captionEmpty) { return showCaption && !captionEmpty ? kCaptionGap : 0; }

TContentPlace PlaceContent(const TContentInput& in) {
  // Each half is taken on its own: W2 - n div 2, never (Width - n) div 2.
  const auto across = [&](std::int64_t size) { return in.Width / 2 - size / 2 - in.Inset + in.Shift; };
  const auto upright = [&](std::int64_t size) { return in.Height / 2 - size / 2 - in.Inset + in.Shift; };
  // The leading element: centred with what follows it, or at the margin, which the shift does not move.
  const auto leading = [&](std::int64_t centred) { return in.Margin == -1 ? centred : std::int64_t{in.Margin}; };
  // Any margin is allowed; a place beyond the coordinate range is as far off as a place can be.
  const auto point = [](std::int64_t x, std::int64_t y) {
    return TPoint{static_cast<std::int32_t>(std::clamp<std::int64_t>(x, INT32_MIN, INT32_MAX)),
                  static_cast<std::int32_t>(std::clamp<std::int64_t>(y, INT32_MIN, INT32_MAX))};
  };
  const std::int64_t gh = in.GlyphSize, tw = in.TextWidth, th = in.TextHeight, gap = in.Gap;

  switch (in.Layout) {
    case TQuickButtonLayout::qblGlyphLeft: {
      const std::int64_t glyphX = leading(across(gh + tw + gap));
      return {point(glyphX, upright(gh)), point(glyphX + gh + gap, upright(th))};
    }
    case TQuickButtonLayout::qblGlyphRight: {
      const std::int64_t textX = leading(across(gh + tw + gap));
      return {point(textX + tw + gap, upright(gh)), point(textX, upright(th))};
    }
    case TQuickButtonLayout::qblGlyphTop: {
      const std::int64_t glyphY = leading(upright(gh + th + gap));
      return {point(across(gh), glyphY), point(across(tw), glyphY + gh + gap)};
    }
    case TQuickButtonLayout::qblGlyphBottom: {
      const std::int64_t textY = leading(upright(gh + th + gap));
      return {point(across(gh), textY + th + gap), point(across(tw), textY)};
    }
  }
  return {};
}

bool RoundFrameFits(const TRect& r) {
  return std::int64_t{r.Right} - r.Left >= kRoundMinimum && std::int64_t{r.Bottom} - r.Top >= kRoundMinimum;
}

TRoundFrame RoundFrameLines(const TRect& r, TColorRef face, std::int64_t step, bool sunken) {
  const std::int32_t L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
  const std::int64_t light = sunken ? -1 : 1;
  const TColorRef c1 = ShadeColor(face, light * 2 * step), c2 = ShadeColor(face, light * step),
                  c3 = ShadeColor(face, -light * step), c4 = ShadeColor(face, -light * 2 * step);
  return {
      .Lines = {{
          {kButtonOutline,
           {{L + 2, T}, {R - 3, T}, {R - 1, T + 2}, {R - 1, B - 3}, {R - 3, B - 1}, {L + 2, B - 1}, {L, B - 3},
            {L, T + 2}, {L + 2, T}}},
          {c1, {{L + 1, B - 3}, {L + 1, T + 2}, {L + 2, T + 2}, {L + 2, T + 1}, {R - 2, T + 1}}},
          {c2, {{L + 2, B - 4}, {L + 2, T + 3}, {L + 3, T + 3}, {L + 3, T + 2}, {R - 3, T + 2}}},
          {face,
           {{L + 4, T + 3}, {R - 5, T + 3}, {R - 4, T + 4}, {R - 4, B - 5}, {R - 5, B - 4}, {L + 4, B - 4},
            {L + 3, B - 5}, {L + 3, T + 3}}},
          {c3, {{L + 2, B - 3}, {R - 4, B - 3}, {R - 4, B - 4}, {R - 3, B - 4}, {R - 3, T + 1}}},
          {c4, {{L + 2, B - 2}, {R - 3, B - 2}, {R - 3, B - 3}, {R - 2, B - 3}, {R - 2, T + 1}}},
      }},
      .DotColour = c3,
      .Dots = {{{L + 3, B - 4}, {R - 4, T + 3}}},
  };
}

TRaster GlyphCell(const TRaster& glyph, int image, TColorRef fill) {
  if (glyph.Empty()) return {};
  const int size = glyph.Height();
  const TColorRef key = glyph.Pixel(0, size - 1);
  TRaster cell(size, size, fill);
  const int left = image * size;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if (Inked(glyph, left + x, y, key)) cell.SetPixel(x, y, glyph.Pixel(left + x, y));
  return cell;
}

std::vector<TPixelPaint> EtchedGlyphPixels(const TRaster& glyph, TColorRef shadow, TColorRef highlight) {
  std::vector<TPixelPaint> pixels;
  if (glyph.Empty()) return pixels;
  const int size = glyph.Height();
  const TColorRef key = glyph.Pixel(0, size - 1);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      if (Inked(glyph, x, y, key)) pixels.push_back({{x, y}, shadow});
      else if (x >= 1 && y >= 1 && Inked(glyph, x - 1, y - 1, key)) pixels.push_back({{x, y}, highlight});
    }
  return pixels;
}

}  // namespace tovi
