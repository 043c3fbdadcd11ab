#include "components/quick_button.h"

#include <windowsx.h>

#include "toolkit/dc_canvas.h"
#include "toolkit/handles.h"

namespace tovi {
namespace {

void FillSolid(HDC dc, const RECT& r, TColorRef colour) {
  const TUniqueBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.Get());
}

// The octagon frame of the round style along the edges of r.
void DrawRoundFrame(HDC dc, const RECT& r, TColorRef face, std::int64_t step, bool sunken) {
  const TRoundFrame frame = RoundFrameLines({r.left, r.top, r.right, r.bottom}, face, step, sunken);
  for (const TPolyline& line : frame.Lines) {
    const TUniquePen pen(CreatePen(PS_SOLID, 1, line.Colour));
    const TSelectGuard select(dc, pen.Get());
    MoveToEx(dc, line.Points.front().X, line.Points.front().Y, nullptr);
    for (std::size_t i = 1; i < line.Points.size(); ++i) LineTo(dc, line.Points[i].X, line.Points[i].Y);
  }
  for (const TPoint& dot : frame.Dots) SetPixelV(dc, dot.X, dot.Y, frame.DotColour);
}

void DrawFrame(HDC dc, TFrameKind kind, const RECT& r, const TButtonColours& colours, bool sunken) {
  // BF_ADJUST moves in only this copy: the content's place comes from the frame's inset.
  RECT edge = r;
  switch (kind) {
    case TFrameKind::None: break;
    case TFrameKind::RaisedEdge: DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT | BF_ADJUST); break;
    case TFrameKind::SunkenEdge: DrawEdge(dc, &edge, EDGE_SUNKEN, BF_RECT | BF_ADJUST); break;
    case TFrameKind::RaisedInnerEdge: DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT | BF_ADJUST); break;
    case TFrameKind::SunkenInnerEdge: DrawEdge(dc, &edge, BDR_SUNKENINNER, BF_RECT | BF_ADJUST); break;
    case TFrameKind::Round: DrawRoundFrame(dc, r, colours.Face, colours.Step, sunken); break;
    case TFrameKind::RoundTooSmall: FillSolid(dc, r, colours.Face); break;
  }
}

// Image 0 of glyph at (x, y), etched: its shape in shadow with a highlight beside it.
void DrawDisabledGlyph(HDC dc, int x, int y, const TRaster& glyph, TColorRef shadow, TColorRef highlight) {
  for (const TPixelPaint& pixel : EtchedGlyphPixels(glyph, shadow, highlight))
    SetPixelV(dc, x + pixel.At.X, y + pixel.At.Y, pixel.Colour);
}

}  // namespace

TQuickButton::TQuickButton(TForm& form, TBounds bounds, const std::wstring& caption, TQuickButtonStyle style)
    : TControl(form, bounds), FStyle(style) {
  CreateOwnControl(
      {.ClassName = L"TQuickButton", .Title = caption.c_str(), .Style = WS_CLIPSIBLINGS, .ClassStyle = CS_DBLCLKS});
}

void TQuickButton::SetDown(bool value) {
  if (value == Down()) return;
  FPress.SetDown(value);
  Invalidate();
}

void TQuickButton::SetGlyph(const TRaster* value) {
  if (value == &FGlyph) return;
  FGlyph = value ? *value : TRaster();
  Invalidate();
}

void TQuickButton::Repaint() {
  Invalidate();
  UpdateWindow(Handle());
}

RECT TQuickButton::ClientRect() const {
  RECT client{};
  GetClientRect(Handle(), &client);
  return client;
}

void TQuickButton::LeftButtonUp(bool inside) {
  // The capture ends before any handler runs: a handler may open a dialog.
  if (GetCapture() == Handle()) ReleaseCapture();
  // The released look is on the screen before the handler runs, which may
  // close the dialog that holds the button.
  if (FPress.LeftUp(inside)) {
    Repaint();
    if (OnClick) OnClick(this);
  }
  FPress.ButtonUp(true, Enabled());
  Invalidate();
}

void TQuickButton::SetMouseInControl(bool value) {
  if (value == FMouseInControl) return;
  FMouseInControl = value;
  if (value) {
    TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, Handle(), 0};
    TrackMouseEvent(&leave);
  }
  Repaint();
}

bool TQuickButton::Inside(LPARAM at) const {
  const RECT client = ClientRect();
  return PtInRect(&client, {GET_X_LPARAM(at), GET_Y_LPARAM(at)}) != FALSE;
}

LRESULT TQuickButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      const TPaintDc paint(Handle());
      Paint(paint.Get());
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND: {
      // Only the platform asks for this (first show, uncovering); our own
      // invalidations leave the background alone and so do not flicker.
      const RECT client = ClientRect();
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // Captured, so that the release comes here wherever it happens.
      SetCapture(Handle());
      FPress.LeftDown(Enabled(), message == WM_LBUTTONDBLCLK);
      Invalidate();
      return 0;
    case WM_LBUTTONUP:
      LeftButtonUp(Inside(lParam));
      return 0;
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      FPress.ButtonUp(false, Enabled());
      Invalidate();
      return 0;
    case WM_CANCELMODE:
      // A press that the platform cancels (the button disabled, a dialog
      // opening) ends as a release outside: no click, no pressed look left behind.
      if (GetCapture() == Handle()) LeftButtonUp(false);
      break;
    case WM_MOUSEMOVE:
      // While the mouse is captured, moves come from outside as well.
      SetMouseInControl(Inside(lParam));
      return 0;
    case WM_MOUSELEAVE:
      SetMouseInControl(false);
      return 0;
    case WM_ENABLE:
      Repaint();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(Font());
    case WM_SETFONT:
      // The caption is drawn in Font(), the form's: a new one needs only a repaint.
      if (lParam) Invalidate();
      return 0;
  }
  return TControl::HandleMessage(message, wParam, lParam);
}

void TQuickButton::Paint(HDC dc) {
  const TButtonLookState state{.Style = FStyle,
                               .Contrast = FContrast,
                               .Flat = FFlat,
                               .MouseInControl = FMouseInControl,
                               .Down = FPress.Down(),
                               .Pressed = FPress.Pressed(),
                               .Enabled = Enabled()};
  const TButtonColours colours = ButtonColours(state, {.BaseColor = ColorToRGB(FBaseColor),
                                                       .Color = GetSysColor(COLOR_BTNFACE),
                                                       .BtnHighlight = GetSysColor(COLOR_BTNHIGHLIGHT),
                                                       .BtnShadow = GetSysColor(COLOR_BTNSHADOW)});
  const RECT client = ClientRect();
  const int fullWidth = client.right, fullHeight = client.bottom;
  const TButtonFrame frame = ChooseFrame(state, fullWidth, fullHeight);
  DrawFrame(dc, frame.Kind, client, colours, ContentShift(state) != 0);

  // Face, glyph and caption are composed off-screen and reach the control in one copy.
  const int width = fullWidth - 2 * frame.Inset, height = fullHeight - 2 * frame.Inset;
  if (width <= 0 || height <= 0) return;
  const TUniqueMemoryDc content(CreateCompatibleDC(dc));
  const TUniqueBitmap bitmap(CreateCompatibleBitmap(dc, width, height));
  if (!content || !bitmap) return;
  const HDC b = content.Get();
  const TSelectGuard selectBitmap(b, bitmap.Get());
  // Without a font of the form's, the platform's font for controls.
  const TSelectGuard selectFont(b, Font() ? Font() : GetStockObject(DEFAULT_GUI_FONT));
  FillSolid(b, {0, 0, width, height}, colours.Fill);

  const std::wstring caption = Text();
  const int length = static_cast<int>(caption.size());
  SIZE extent{};
  if (FShowCaption) GetTextExtentPoint32W(b, caption.c_str(), length, &extent);
  const TContentPlace place = PlaceContent({.Layout = FLayout,
                                            .Margin = FMargin,
                                            .Width = fullWidth,
                                            .Height = fullHeight,
                                            .Inset = frame.Inset,
                                            .Shift = ContentShift(state),
                                            .GlyphSize = FGlyph.Height(),
                                            .TextWidth = static_cast<int>(extent.cx),
                                            .TextHeight = static_cast<int>(extent.cy),
                                            .Gap = CaptionGap(FShowCaption, caption.empty())});

  const TGlyphChoice glyph = ChooseGlyphImage(state, GlyphCount());
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
      SetTextColor(b, GetSysColor(COLOR_WINDOWTEXT));
    } else {
      SetTextColor(b, colours.Highlight);
      TextOutW(b, place.Text.X + 1, place.Text.Y + 1, caption.c_str(), length);
      SetTextColor(b, colours.Shadow);
    }
    TextOutW(b, place.Text.X, place.Text.Y, caption.c_str(), length);
  }
  BitBlt(dc, frame.Inset, frame.Inset, width, height, b, 0, 0, SRCCOPY);
}

}  // namespace tovi
