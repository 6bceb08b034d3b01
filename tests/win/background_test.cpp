// The background picture is decoded at the first paint only. The decoder is replaced here by
// a counting stand-in (it takes the place of the library's at link time), which also checks
// that it is handed the picture kept in the program.
#include <windows.h>

#include <gtest/gtest.h>

#include "ui/background_win.h"
#include "ui/jpeg_picture.h"

namespace {

int decodes = 0;
bool handed_a_jpeg = false;
constexpr COLORREF kStandInColour = RGB(10, 200, 30);

}  // namespace

std::optional<Picture> decode_jpeg(std::string_view bytes) {
  ++decodes;
  handed_a_jpeg = bytes.size() > 2 && bytes.substr(0, 2) == "\xFF\xD8";
  Picture picture{650, 450, std::vector<std::uint8_t>(650 * 450 * 4)};
  for (size_t i = 0; i < picture.bgrx.size(); i += 4) {
    picture.bgrx[i] = GetBValue(kStandInColour);
    picture.bgrx[i + 1] = GetGValue(kStandInColour);
    picture.bgrx[i + 2] = GetRValue(kStandInColour);
  }
  return picture;
}

namespace {

TEST(Background, IsDecodedAtTheFirstPaintOnlyAndStretchedOverTheClient) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, 650, 450);
  HGDIOBJ previous = SelectObject(dc, target);
  const RECT client{0, 0, 650, 450};
  for (int i = 0; i < 5; ++i) ui::paint_background(dc, client);
  EXPECT_EQ(decodes, 1);
  EXPECT_TRUE(handed_a_jpeg);
  for (POINT at : {POINT{0, 0}, POINT{649, 449}, POINT{325, 225}}) {
    EXPECT_EQ(GetPixel(dc, at.x, at.y), kStandInColour) << at.x << "," << at.y;
  }
  SelectObject(dc, previous);
  DeleteObject(target);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
}

}  // namespace
