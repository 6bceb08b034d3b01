#include "ui/background_win.h"

#include <cstring>
#include <string_view>

#include "ui/jpeg_picture.h"

namespace ui {

namespace {

constexpr int kPictureResource = 2;
constexpr COLORREF kBackground = RGB(128, 160, 128);

struct DecodedBackground {
  HDC dc = nullptr;  // a memory DC with the picture selected, kept for the process
  int width = 0;
  int height = 0;
};

std::string_view picture_resource() {
  const HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(kPictureResource), RT_RCDATA);
  if (!found) return {};
  const void* data = LockResource(LoadResource(module, found));
  return {static_cast<const char*>(data), SizeofResource(module, found)};
}

DecodedBackground decode_background() {
  const std::optional<Picture> picture = decode_jpeg(picture_resource());
  if (!picture) return {};
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = picture->width;
  format.bmiHeader.biHeight = -picture->height;  // top-down rows, as decoded
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return {};
  std::memcpy(bits, picture->bgrx.data(), picture->bgrx.size());
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, bitmap);
  return {dc, picture->width, picture->height};
}

const DecodedBackground& background() {
  static const DecodedBackground decoded = decode_background();
  return decoded;
}

void fill_outside(HDC dc, const RECT& client, const RECT& covered) {
  HBRUSH brush = CreateSolidBrush(kBackground);
  const RECT right{covered.right, client.top, client.right, client.bottom};
  const RECT below{client.left, covered.bottom, covered.right, client.bottom};
  FillRect(dc, &right, brush);
  FillRect(dc, &below, brush);
  DeleteObject(brush);
}

}  // namespace

void paint_background(HDC dc, const RECT& client) {
  const DecodedBackground& picture = background();
  RECT covered{client.left, client.top, client.left, client.top};
  if (picture.dc) {
    const int width = client.right - client.left, height = client.bottom - client.top;
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, client.left, client.top, width, height, picture.dc, 0, 0, picture.width,
               picture.height, SRCCOPY);
    covered = client;
  }
  fill_outside(dc, client, covered);
}

}  // namespace ui
