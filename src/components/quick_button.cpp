#include "components/quick_button.h"

#include "toolkit/dc_canvas.h"
#include "toolkit/handles.h"

namespace tovi {
namespace {

constexpr int kDefaultSize = 25;

void FillSolid(HDC dc, const RECT& r, TColorRef colour) {
  const TUniqueBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.Get());
}

void DrawFrame(HDC dc, TFrameKind kind, const RECT& r, const TButtonColours& colours, bool sunken) {
  // DrawEdge moves its copy in; where the content goes is the frame's inset.
  RECT edge = r;
  switch (kind) {
    case TFrameKind::None: break;
    case TFrameKind::RaisedEdge: DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT | BF_ADJUST); break;
    case TFrameKind::SunkenEdge: DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT | BF_ADJUST); break;
    case TFrameKind::RaisedInnerEdge: DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT | BF_ADJUST); break;
    case TFrameKind::SunkenInnerEdge: DrawEdge(dc, &edge, BDR_SUNKENINNER, BF_RECT | BF_ADJUST); break;
    case TFrameKind::Round:
    case TFrameKind::RoundTooSmall: DrawRoundFrame(dc, r, colours.Face, colours.Step, sunken); break;
  }
}

}  // namespace

void DrawRoundFrame(HDC dc, const RECT& r, TColorRef face, std::int64_t step, bool sunken) {
  const TRect bounds{r.left, r.top, r.right, r.bottom};
  if (!RoundFrameFits(bounds)) {
    FillSolid(dc, r, face);
    return;
  }
  const TRoundFrame frame = RoundFrameLines(bounds, face, step, sunken);
  for (const TPolyline& line : frame.Lines) {
    const TUniquePen pen(CreatePen(PS_SOLID, 1, line.Colour));
    const TSelectGuard select(dc, pen.Get());
    MoveToEx(dc, line.Points.front().X, line.Points.front().Y, nullptr);
    for (std::size_t i = 1; i < line.Points.size(); ++i) LineTo(dc, line.Points[i].X, line.Points[i].Y);
  }
  for (const TPoint& dot : frame.Dots) SetPixelV(dc, dot.X, dot.Y, frame.DotColour);
}

void DrawDisabledGlyph(HDC dc, int x, int y, const TRaster& glyph, TColorRef shadow, TColorRef highlight) {
  for (const TPixelPaint& pixel : EtchedGlyphPixels(glyph, shadow, highlight))
    SetPixelV(dc, x + pixel.At.X, y + pixel.At.Y, pixel.Colour);
}

TQuickButton::TQuickButton(TComponent* owner) : TWinControl(owner, L"TQuickButton") {
  SetBounds(Left(), Top(), kDefaultSize, kDefaultSize);
}

void TQuickButton::SetBaseColor(TColor value) { Change(FBaseColor, value); }
void TQuickButton::SetLayout(TQuickButtonLayout value) { Change(FLayout, value); }
void TQuickButton::SetStyle(TQuickButtonStyle value) { Change(FStyle, value); }

void TQuickButton::SetBooleanProperty(int index, bool value) {
  switch (index) {
    case kFlatIndex: Change(FFlat, value); break;
    case kDownIndex: Change(FDown, value); break;
    case kSwitchIndex: Change(FSwitch, value); break;
    case kShowCaptionIndex: Change(FShowCaption, value); break;
  }
}

void TQuickButton::SetIntegerProperty(int index, int value) {
  switch (index) {
    case kMarginIndex: Change(FMargin, value); break;
    case kContrastIndex: Change(FContrast, value); break;
  }
}

void TQuickButton::SetGlyph(const TRaster* value) {
  if (value == &FGlyph) return;
  FGlyph = value ? *value : TRaster();
  FGlyphCount = GlyphCountOf(FGlyph.Width(), FGlyph.Height());
  Invalidate();
}

void TQuickButton::Loaded() {
  TWinControl::Loaded();
  FPressed = false;
  // A glyph read from a form description went straight into the strip.
  FGlyphCount = GlyphCountOf(FGlyph.Width(), FGlyph.Height());
}

void TQuickButton::EnabledChanged() {
  TWinControl::EnabledChanged();
  Repaint();
}

void TQuickButton::MouseEnter() {
  TWinControl::MouseEnter();
  FMouseInControl = true;
  Repaint();
}

void TQuickButton::MouseLeave() {
  TWinControl::MouseLeave();
  FMouseInControl = false;
  Repaint();
}

// The released look is on the screen before the handler runs, which may
// close the dialog that holds the button.
void TQuickButton::Click() {
  FPressed = false;
  Repaint();
  TWinControl::Click();
}

void TQuickButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TWinControl::MouseDown(button, shift, x, y);
  if (button == TMouseButton::mbLeft && Enabled()) {
    FPressed = true;
    Invalidate();
  }
}

void TQuickButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TWinControl::MouseUp(button, shift, x, y);
  FPressed = false;
  if (button == TMouseButton::mbLeft && Enabled() && FSwitch) FDown = !FDown;
  Invalidate();
}

TButtonLookState TQuickButton::LookState() const {
  return {.Style = FStyle,
          .Contrast = FContrast,
          .Flat = FFlat,
          .MouseInControl = FMouseInControl,
          .Down = FDown,
          .Pressed = FPressed,
          .Enabled = Enabled()};
}

void TQuickButton::Paint(HDC dc) {
  const TButtonLookState state = LookState();
  const TButtonColours colours =
      ButtonColours(state, {.BaseColor = ColorToRGB(FBaseColor),
                            .Color = ColorToRGB(Color()),
                            .BtnHighlight = ColorToRGB(clBtnHighlight),
                            .BtnShadow = ColorToRGB(clBtnShadow)});
  const TButtonFrame frame = ChooseFrame(state, Width(), Height());
  DrawFrame(dc, frame.Kind, {0, 0, Width(), Height()}, colours, ContentShift(state) != 0);

  // Face, glyph and caption are composed off-screen and reach the control in one copy.
  const int left = frame.Inset, top = frame.Inset;
  const int width = Width() - 2 * frame.Inset, height = Height() - 2 * frame.Inset;
  if (width <= 0 || height <= 0) return;
  const TUniqueMemoryDc content(CreateCompatibleDC(dc));
  const TUniqueBitmap bitmap(CreateCompatibleBitmap(dc, width, height));
  if (!content || !bitmap) return;
  const HDC b = content.Get();
  const TSelectGuard selectBitmap(b, bitmap.Get());
  const TSelectGuard selectFont(b, FontHandle());
  FillSolid(b, {0, 0, width, height}, colours.Fill);

  const std::wstring& caption = Caption();
  const int length = static_cast<int>(caption.size());
  SIZE extent{};
  if (FShowCaption) GetTextExtentPoint32W(b, caption.c_str(), length, &extent);
  const TContentPlace place = PlaceContent({.Layout = FLayout,
                                            .Margin = FMargin,
                                            .Width = Width(),
                                            .Height = Height(),
                                            .Inset = frame.Inset,
                                            .Shift = ContentShift(state),
                                            .GlyphSize = FGlyph.Height(),
                                            .TextWidth = static_cast<int>(extent.cx),
                                            .TextHeight = static_cast<int>(extent.cy),
                                            .Gap = CaptionGap(FShowCaption, caption.empty())});

  const TGlyphChoice glyph = ChooseGlyphImage(state, FGlyphCount);
  if (glyph.Etched) {
    DrawDisabledGlyph(b, place.Glyph.X, place.Glyph.Y, FGlyph, colours.Shadow, colours.Highlight);
  } else {
    TDcCanvas canvas(b);
    canvas.Draw(place.Glyph.X, place.Glyph.Y, GlyphCell(FGlyph, glyph.Image, colours.Fill));
  }

  if (FShowCaption) {
    // TextOutW: no prefix processing, so an ampersand is drawn as itself.
    SetBkMode(b, TRANSPARENT);
    if (state.Enabled) {
      SetTextColor(b, ColorToRGB(Font().Color));
    } else {
      SetTextColor(b, colours.Highlight);
      TextOutW(b, place.Text.X + 1, place.Text.Y + 1, caption.c_str(), length);
      SetTextColor(b, colours.Shadow);
    }
    TextOutW(b, place.Text.X, place.Text.Y, caption.c_str(), length);
  }
  BitBlt(dc, left, top, width, height, b, 0, 0, SRCCOPY);
}

}  // namespace tovi
