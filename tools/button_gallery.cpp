// button_gallery: paints TQuickButton in every style and state into one
// 24-bit BMP file, so that all its looks can be seen at once.
//
//   button_gallery OUT.bmp
//
// Each button is a real child window of a hidden host, put into its state by
// the mouse messages it would get, and painted through WM_PRINT: the erase
// of the window background, then the paint routine of WM_PAINT.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/quick_button.h"
#include "toolkit/application.h"
#include "toolkit/dc_canvas.h"
#include "toolkit/form.h"
#include "toolkit/handles.h"

namespace tovi {
namespace {

using enum TQuickButtonLayout;
using enum TQuickButtonStyle;

constexpr int kPictureWidth = 720;
constexpr int kPictureHeight = 800;
constexpr int kLabelWidth = 130;
constexpr int kColumn = 98;
constexpr TColorRef kKey = 0xFF00FF;
constexpr int kMagnify = 8;

// A hidden form in the dialogs' font. That font is MS P Gothic, which Wine
// does not have; IPA P Gothic is its stand-in with the same metrics.
TForm::TFormParams HostParams() {
  return {.ClassName = L"ToviButtonGalleryHost",
          .Caption = L"",
          .Style = WS_POPUP,
          .ClientWidth = 100,
          .ClientHeight = 100,
          .Font = TFont{L"IPAPGothic", -12, SHIFTJIS_CHARSET}};
}

// Thick strokes between points, for glyphs drawn in code.
void Stroke(TRaster& picture, int left, std::vector<TPoint> points, TColorRef colour) {
  for (std::size_t i = 1; i < points.size(); ++i) {
    const TPoint a = points[i - 1], b = points[i];
    const int steps = std::max(std::abs(b.X - a.X), std::abs(b.Y - a.Y));
    for (int s = 0; s <= steps; ++s) {
      const int x = a.X + (b.X - a.X) * s / std::max(steps, 1), y = a.Y + (b.Y - a.Y) * s / std::max(steps, 1);
      for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx)
          if (picture.Contains(left + x + dx, y + dy)) picture.SetPixel(left + x + dx, y + dy, colour);
    }
  }
}

// Four 16 by 16 check marks: normal, disabled, pressed, down.
TRaster CheckStrip() {
  TRaster strip(64, 16, kKey);
  const TColorRef colours[] = {0x008000, 0x808080, 0x004000, 0xC06000};
  for (int image = 0; image < 4; ++image) Stroke(strip, image * 16, {{2, 8}, {6, 12}, {13, 3}}, colours[image]);
  return strip;
}

// One red cross, which a disabled button must etch.
TRaster CrossGlyph() {
  TRaster glyph(16, 16, kKey);
  Stroke(glyph, 0, {{3, 3}, {12, 12}}, 0x0000C0);
  Stroke(glyph, 0, {{12, 3}, {3, 12}}, 0x0000C0);
  return glyph;
}

enum class TState { Normal, Hot, Pressed, Down, DownPressed, Disabled };

class TGallery {
 public:
  TGallery() : FDc(CreateCompatibleDC(nullptr)), FBitmap(MakeSection()), FSelect(FDc.Get(), FBitmap.Get()) {
    const RECT all{0, 0, kPictureWidth, kPictureHeight};
    const TUniqueBrush face(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
    FillRect(FDc.Get(), &all, face.Get());
    SetBkMode(FDc.Get(), TRANSPARENT);
  }

  void Label(int x, int y, const std::wstring& text) {
    const TSelectGuard font(FDc.Get(), GetStockObject(DEFAULT_GUI_FONT));
    TextOutW(FDc.Get(), x, y, text.c_str(), static_cast<int>(text.size()));
  }

  // Makes a button, lets set prepare it, brings it into the state and paints it at (x, y).
  TQuickButton& Button(int x, int y, int width, int height, TState state, const wchar_t* caption,
                       const std::function<void(TQuickButton&)>& set) {
    auto& button = *FButtons.emplace_back(std::make_unique<TQuickButton>(FHost, TBounds{0, 0, width, height}, caption));
    set(button);
    const LPARAM inside = MAKELPARAM(2, 2);
    switch (state) {
      case TState::Normal: break;
      case TState::Hot: SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, inside); break;
      case TState::Pressed:
        SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, inside);
        SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
        break;
      case TState::Down: button.SetDown(true); break;
      case TState::DownPressed:
        button.SetDown(true);
        SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, inside);
        SendMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
        break;
      case TState::Disabled: button.SetEnabled(false); break;
    }
    POINT old{};
    SetViewportOrgEx(FDc.Get(), x, y, &old);
    SendMessageW(button.Handle(), WM_PRINT, reinterpret_cast<WPARAM>(FDc.Get()), PRF_ERASEBKGND | PRF_CLIENT);
    SetViewportOrgEx(FDc.Get(), old.x, old.y, nullptr);
    return button;
  }

  // A region of the picture again, each pixel a square, for a look at single pixels.
  void Magnify(int fromX, int fromY, int width, int height, int x, int y) {
    StretchBlt(FDc.Get(), x, y, width * kMagnify, height * kMagnify, FDc.Get(), fromX, fromY, width, height, SRCCOPY);
  }

  bool Save(const wchar_t* path) const {
    GdiFlush();
    const int rowBytes = (kPictureWidth * 3 + 3) / 4 * 4;
    const DWORD pixelBytes = static_cast<DWORD>(rowBytes * kPictureHeight);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + pixelBytes;
    info.biSize = sizeof info;
    info.biWidth = kPictureWidth;
    info.biHeight = kPictureHeight;  // bottom-up, as every reader expects
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = pixelBytes;
    std::vector<BYTE> pixels(pixelBytes);
    for (int y = 0; y < kPictureHeight; ++y)
      for (int x = 0; x < kPictureWidth; ++x) {
        const std::uint32_t pixel = FBits[y * kPictureWidth + x];  // 0x00RRGGBB
        BYTE* to = &pixels[static_cast<std::size_t>((kPictureHeight - 1 - y) * rowBytes + x * 3)];
        to[0] = static_cast<BYTE>(pixel);
        to[1] = static_cast<BYTE>(pixel >> 8);
        to[2] = static_cast<BYTE>(pixel >> 16);
      }
    FILE* out = _wfopen(path, L"wb");
    if (!out) return false;
    const bool written = fwrite(&file, sizeof file, 1, out) == 1 && fwrite(&info, sizeof info, 1, out) == 1 &&
                         fwrite(pixels.data(), pixels.size(), 1, out) == 1;
    return fclose(out) == 0 && written;
  }

 private:
  HBITMAP MakeSection() {
    const BITMAPINFO info = DibHeaderFor(TRaster(kPictureWidth, kPictureHeight));
    void* bits = nullptr;
    const HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    FBits = static_cast<const std::uint32_t*>(bits);
    return section;
  }

  TForm FHost{HostParams()};
  const std::uint32_t* FBits = nullptr;
  TUniqueMemoryDc FDc;
  TUniqueBitmap FBitmap;
  TSelectGuard FSelect;
  std::vector<std::unique_ptr<TQuickButton>> FButtons;
};

void PaintGallery(TGallery& gallery) {
  const TRaster check = CheckStrip(), cross = CrossGlyph();
  const TState states[] = {TState::Normal, TState::Hot, TState::Pressed, TState::Down, TState::DownPressed,
                           TState::Disabled};
  const wchar_t* stateNames[] = {L"normal", L"hot", L"pressed", L"down", L"down, pressed", L"disabled"};
  for (int column = 0; column < 6; ++column) gallery.Label(kLabelWidth + column * kColumn, 6, stateNames[column]);

  struct TRow {
    const wchar_t* name;
    TQuickButtonStyle style;
    const wchar_t* caption;
    const TRaster* glyph = nullptr;
    bool flat = false;
    int contrast = 20;
    TColor baseColor = clBtnFace;
  };
  const TRow rows[] = {
      {L"qbsDefault", qbsDefault, L"OK"},
      {L"qbsDefault, Flat", qbsDefault, L"OK", nullptr, true},
      {L"qbsRound (dialogs)", qbsRound, L"キャンセル"},
      {L"qbsRound, 4 images", qbsRound, L"OK", &check},
      {L"qbsDefault, 4 images", qbsDefault, L"OK", &check},
      {L"qbsRound, 1 image", qbsRound, L"閉じる", &cross},
      {L"qbsRound, Contrast 40", qbsRound, L"OK", nullptr, false, 40, 0xD0B090},
      {L"qbsRound, Contrast 0", qbsRound, L"OK", nullptr, false, 0},
      // A negative Contrast draws from Color: the red base must not show.
      {L"qbsRound, Contrast -1", qbsRound, L"OK", nullptr, false, -1, 0x0000FF},
  };
  int y = 24;
  for (const TRow& row : rows) {
    gallery.Label(6, y + 6, row.name);
    for (int column = 0; column < 6; ++column)
      gallery.Button(kLabelWidth + column * kColumn, y, 89, 25, states[column], row.caption, [&](TQuickButton& b) {
        b.SetStyle(row.style);
        b.SetGlyph(row.glyph);
        b.SetFlat(row.flat);
        b.SetContrast(row.contrast);
        b.SetBaseColor(row.baseColor);
      });
    y += 33;
  }

  // The four layouts, centred and at a margin of 4, normal and pressed.
  y += 8;
  const wchar_t* layoutNames[] = {L"qblGlyphLeft", L"qblGlyphRight", L"qblGlyphTop", L"qblGlyphBottom"};
  for (int column = 0; column < 4; ++column) gallery.Label(kLabelWidth + column * 140, y, layoutNames[column]);
  y += 18;
  for (const int margin : {-1, 4}) {
    for (const TState state : {TState::Normal, TState::Pressed}) {
      gallery.Label(6, y + 16, std::wstring(margin == -1 ? L"centred" : L"Margin 4") +
                                   (state == TState::Pressed ? L", pressed" : L""));
      for (int column = 0; column < 4; ++column)
        gallery.Button(kLabelWidth + column * 140, y, 130, 46, state, L"設定", [&](TQuickButton& b) {
          b.SetGlyph(&check);
          b.SetLayout(static_cast<TQuickButtonLayout>(column));
          b.SetMargin(margin);
        });
      y += 52;
    }
  }

  // Single pixels: the 16 by 12 round frame raised and sunken, a round button
  // too small for its frame, and glyph-only buttons, magnified.
  y += 6;
  gallery.Label(6, y + 30, L"16x12 qbsRound,");
  gallery.Label(6, y + 44, L"5x5, glyph only");
  gallery.Label(6, y + 58, L"(magnified 8x)");
  const int smallX = kLabelWidth;
  gallery.Button(smallX, y, 16, 12, TState::Normal, L"", [](TQuickButton& b) { b.SetStyle(qbsRound); });
  gallery.Button(smallX + 20, y, 16, 12, TState::Down, L"", [](TQuickButton& b) { b.SetStyle(qbsRound); });
  gallery.Button(smallX + 40, y, 5, 5, TState::Normal, L"", [](TQuickButton& b) {
    b.SetStyle(qbsRound);
    b.SetBaseColor(0xD0B090);
  });
  gallery.Magnify(smallX, y, 16, 12, smallX, y + 16);
  gallery.Magnify(smallX + 20, y, 16, 12, smallX + 16 * kMagnify + 8, y + 16);
  gallery.Magnify(smallX + 40, y, 5, 5, smallX + 32 * kMagnify + 16, y + 16);
  const TState glyphStates[] = {TState::Normal, TState::Pressed, TState::Down, TState::Disabled};
  const int glyphX = smallX + 37 * kMagnify + 24;
  for (int i = 0; i < 4; ++i)
    gallery.Button(glyphX + i * 30, y, 25, 25, glyphStates[i], L"", [&](TQuickButton& b) { b.SetGlyph(&check); });
  gallery.Button(glyphX + 120, y, 25, 25, TState::Disabled, L"", [&](TQuickButton& b) { b.SetGlyph(&cross); });
  gallery.Magnify(glyphX + 120, y, 25, 25, glyphX, y + 30);
}

}  // namespace
}  // namespace tovi

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: button_gallery OUT.bmp\n", stderr);
    return 2;
  }
  tovi::TApplication application;
  tovi::TGallery gallery;
  tovi::PaintGallery(gallery);
  if (!gallery.Save(argv[1])) {
    std::fputs("could not write the picture\n", stderr);
    return 1;
  }
  return 0;
}
