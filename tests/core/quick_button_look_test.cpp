#include "core/quick_button_look.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <tuple>

namespace tovi {
namespace {

using enum TQuickButtonLayout;
using enum TQuickButtonStyle;
using enum TFrameKind;

constexpr TColorRef kSilver = 0xC0C0C0, kColor = 0x302010, kHi = 0xF0F0F1, kSh = 0x414040;

std::string Hex(TColorRef colour) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(colour));
  return text;
}

TEST(ShadeColor, AddsTheStepToEachChannelAndSaturates) {
  // Colour, step, shaded colour.
  const std::tuple<TColorRef, std::int64_t, TColorRef> cases[] = {
      {kSilver, 40, 0xE8E8E8}, {kSilver, -40, 0x989898},
      // Blue 0x10, green 0xF0, red 0x80: each channel saturates on its own.
      {0x10F080, 20, 0x24FF94}, {0x10F080, -20, 0x00DC6C}, {0x10F080, -200, 0x002800},
      {kSilver, 2 * std::int64_t{INT_MAX}, 0xFFFFFF}, {kSilver, 2 * std::int64_t{INT_MIN}, 0x000000},
  };
  for (const auto& [colour, step, shaded] : cases)
    EXPECT_EQ(Hex(ShadeColor(colour, step)), Hex(shaded)) << Hex(colour) << " step " << step;
}

TEST(ButtonColours, FollowStyleContrastAndDown) {
  struct Case {
    const char* what;
    TButtonLookState state;
    TColorRef face;
    std::int64_t step;
    TColorRef hi, sh, fill;
  };
  const Case cases[] = {
      {"round", {.Style = qbsRound}, kSilver, 20, 0xE8E8E8, 0x989898, kSilver},
      {"round down: face in Hi", {.Style = qbsRound, .Down = true}, kSilver, 20, 0xE8E8E8, 0x989898, 0xE8E8E8},
      {"round pressed", {.Style = qbsRound, .Pressed = true}, kSilver, 20, 0xE8E8E8, 0x989898, kSilver},
      {"contrast 0", {.Style = qbsRound, .Contrast = 0, .Down = true}, kSilver, 0, kSilver, kSilver, kSilver},
      {"negative", {.Style = qbsRound, .Contrast = -1}, kColor, 20, kHi, kSh, kColor},
      {"most negative", {.Style = qbsRound, .Contrast = INT_MIN, .Down = true}, kColor, 20, kHi, kSh, kHi},
      {"largest", {.Style = qbsRound, .Contrast = INT_MAX}, kSilver, INT_MAX, 0xFFFFFF, 0x000000, kSilver},
      {"default", {}, kColor, 20, kHi, kSh, kColor},
  };
  for (const Case& c : cases) {
    const TButtonColours got = ButtonColours(c.state, {kSilver, kColor, kHi, kSh});
    EXPECT_EQ(Hex(got.Face) + Hex(got.Highlight) + Hex(got.Shadow) + Hex(got.Fill),
              Hex(c.face) + Hex(c.hi) + Hex(c.sh) + Hex(c.fill))
        << c.what << ": face, Hi, Sh, fill";
    EXPECT_EQ(got.Step, c.step) << c.what;
  }
}

TEST(ChooseFrame, FollowsStyleStateAndSizeAndAPressShiftsTheContent) {
  struct Case {
    const char* what;
    TButtonLookState state;
    int width, height;
    TFrameKind kind;
    int inset, shift;
  };
  const Case cases[] = {
      {"new button", {}, 25, 25, RaisedEdge, 2, 0},
      {"hot", {.MouseInControl = true}, 25, 25, RaisedEdge, 2, 0},
      {"pressed", {.Pressed = true}, 25, 25, SunkenEdge, 2, 1},
      {"down", {.Down = true}, 25, 25, SunkenEdge, 2, 1},
      {"flat at rest", {.Flat = true}, 25, 25, None, 0, 0},
      {"flat, pressed, mouse gone", {.Flat = true, .Pressed = true}, 25, 25, None, 0, 1},
      {"flat hot", {.Flat = true, .MouseInControl = true}, 25, 25, RaisedInnerEdge, 1, 0},
      {"flat hot pressed", {.Flat = true, .MouseInControl = true, .Pressed = true}, 25, 25, SunkenInnerEdge, 1, 1},
      {"flat down", {.Flat = true, .Down = true}, 25, 25, SunkenInnerEdge, 1, 1},
      {"flat in a designer", {.Flat = true, .Designing = true}, 25, 25, DesignOutline, 1, 0},
      {"round, flat and hot", {.Style = qbsRound, .Flat = true, .MouseInControl = true}, 89, 25, Round, 4, 0},
      {"round 6 by 6", {.Style = qbsRound}, 6, 6, Round, 4, 0},
      {"round too narrow", {.Style = qbsRound}, 5, 25, RoundTooSmall, 0, 0},
      {"round too low", {.Style = qbsRound, .Down = true}, 25, 5, RoundTooSmall, 0, 1},
  };
  for (const Case& c : cases) {
    const TButtonFrame frame = ChooseFrame(c.state, c.width, c.height);
    EXPECT_EQ(std::tuple(frame.Kind, frame.Inset, ContentShift(c.state)), std::tuple(c.kind, c.inset, c.shift))
        << c.what << ": frame, inset, content shift";
  }
}

TEST(ChooseGlyphImage, PressedWinsOverDownAndDisabledEtchesOnlyAShortStrip) {
  struct Case {
    bool enabled;
    int count;
    bool down, pressed;
    int image;
    bool etched;
  };
  const Case cases[] = {
      {true, 4, false, false, 0, false}, {true, 4, true, false, 3, false},  {true, 4, true, true, 2, false},
      {true, 3, true, false, 0, false},  {true, 3, true, true, 2, false},   {true, 2, true, true, 0, false},
      {false, 4, true, true, 1, false},  {false, 2, false, false, 1, false}, {false, 1, false, false, 0, true},
      {false, 0, true, true, 0, true},
  };
  for (const Case& c : cases) {
    const TGlyphChoice got = ChooseGlyphImage({.Down = c.down, .Pressed = c.pressed, .Enabled = c.enabled}, c.count);
    EXPECT_TRUE(got.Image == c.image && got.Etched == c.etched)
        << "enabled " << c.enabled << ", " << c.count << " images, down " << c.down << ", pressed " << c.pressed
        << ": image " << got.Image << (got.Etched ? " etched" : "");
  }
}

TEST(GlyphCountOf, CountsWholeSquaresAndNeverDividesByZero) {
  for (const auto& [width, height, count] : {std::tuple{40, 16, 2}, std::tuple{64, 16, 4}, std::tuple{15, 16, 0},
                                             std::tuple{0, 0, 0}, std::tuple{16, 0, 0}})
    EXPECT_EQ(GlyphCountOf(width, height), count) << width << "x" << height;
}

TEST(PlaceContent, EveryLayoutCentredAndAtAMargin) {
  struct Case {
    const char* what;
    TQuickButtonLayout layout;
    int margin, shift;
    TContentPlace expected;
  };
  // A 100 by 60 control with a 2-pixel frame, a 16-pixel glyph and a 30 by 12 caption.
  const Case cases[] = {
      {"centred", qblGlyphLeft, -1, 0, {{23, 20}, {43, 22}}},
      {"centred", qblGlyphRight, -1, 0, {{57, 20}, {23, 22}}},
      {"centred", qblGlyphTop, -1, 0, {{40, 12}, {33, 32}}},
      {"centred", qblGlyphBottom, -1, 0, {{40, 28}, {33, 12}}},
      {"centred, pressed", qblGlyphBottom, -1, 1, {{41, 29}, {34, 13}}},
      // A press moves the content only across the layout direction.
      {"margin, pressed", qblGlyphLeft, 5, 1, {{5, 21}, {25, 23}}},
      {"margin, pressed", qblGlyphRight, 5, 1, {{39, 21}, {5, 23}}},
      {"margin, pressed", qblGlyphTop, 5, 1, {{41, 5}, {34, 25}}},
      {"margin, pressed", qblGlyphBottom, 5, 1, {{41, 21}, {34, 5}}},
      {"margin 0", qblGlyphTop, 0, 0, {{40, 0}, {33, 20}}},
      {"only -1 centres", qblGlyphLeft, -2, 0, {{-2, 20}, {18, 22}}},
  };
  for (const Case& c : cases) {
    const TContentPlace got = PlaceContent({.Layout = c.layout, .Margin = c.margin, .Width = 100, .Height = 60,
                                            .Inset = 2, .Shift = c.shift, .GlyphSize = 16, .TextWidth = 30,
                                            .TextHeight = 12, .Gap = 4});
    EXPECT_EQ(got, c.expected) << c.what << ", layout " << static_cast<int>(c.layout) << ": glyph " << got.Glyph.X
                               << "," << got.Glyph.Y << " text " << got.Text.X << "," << got.Text.Y;
  }
}

TEST(PlaceContent, CaptionWithoutGlyphKeepsTheGapAndHalvesAreTakenApart) {
  struct Case {
    TQuickButtonLayout layout;
    int width, height, inset, shift, textWidth, textHeight;
    TPoint text;
  };
  const Case cases[] = {
      // 60 by 40, a caption of 20 by 10: alone it would sit at (20, 15); the gap moves it 2 pixels.
      {qblGlyphLeft, 60, 40, 0, 0, 20, 10, {22, 15}},
      {qblGlyphRight, 60, 40, 0, 0, 20, 10, {18, 15}},
      {qblGlyphTop, 60, 40, 0, 0, 20, 10, {20, 17}},
      {qblGlyphBottom, 60, 40, 0, 0, 20, 10, {20, 13}},
      // 24 div 2 - 13 div 2 is 6, where (24 - 13) div 2 would be 5.
      {qblGlyphTop, 24, 24, 0, 0, 13, 13, {6, 8}},
      // The settings dialog's OK button, round, at rest and pressed: the caption at (39, 6) or (40, 7).
      {qblGlyphLeft, 89, 25, 4, 0, 14, 12, {35, 2}},
      {qblGlyphLeft, 89, 25, 4, 1, 14, 12, {36, 3}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PlaceContent({.Layout = c.layout, .Width = c.width, .Height = c.height, .Inset = c.inset,
                            .Shift = c.shift, .TextWidth = c.textWidth, .TextHeight = c.textHeight,
                            .Gap = CaptionGap(true, false)})
                  .Text,
              c.text)
        << "layout " << static_cast<int>(c.layout) << ", " << c.width << "x" << c.height << ", shift " << c.shift;
  const TContentPlace glyphAlone =
      PlaceContent({.Width = 60, .Height = 40, .GlyphSize = 16, .Gap = CaptionGap(true, true)});
  EXPECT_EQ(glyphAlone.Glyph, (TPoint{22, 12})) << "no caption, no gap: the glyph alone is centred";
  EXPECT_EQ(PlaceContent({.Margin = INT_MAX, .GlyphSize = 16, .Gap = 4}).Text.X, INT_MAX) << "saturates, never wraps";
}

}  // namespace
}  // namespace tovi
