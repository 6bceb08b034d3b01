#include "platform/gbk_win.h"

#include <windows.h>

namespace platform {

namespace {
constexpr UINT kGbk = 936;
}

std::wstring to_utf16(std::string_view gbk) {
  if (gbk.empty()) return {};
  const int size = static_cast<int>(gbk.size());
  const int length = MultiByteToWideChar(kGbk, 0, gbk.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(kGbk, 0, gbk.data(), size, wide.data(), length);
  return wide;
}

std::string to_gbk(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int size = static_cast<int>(utf16.size());
  const int length = WideCharToMultiByte(kGbk, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
  std::string gbk(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(kGbk, 0, utf16.data(), size, gbk.data(), length, nullptr, nullptr);
  return gbk;
}

}  // namespace platform
