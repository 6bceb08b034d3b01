#include "platform/internet.h"

#include <windows.h>
#include <wininet.h>

#include "platform/gbk_win.h"

namespace platform {

namespace {

WebHandle owned(HINTERNET handle) {
  if (!handle) return nullptr;
  return WebHandle(handle, [](void* h) { InternetCloseHandle(static_cast<HINTERNET>(h)); });
}

std::optional<std::uint32_t> query_number(const WebHandle& request, DWORD what) {
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD index = 0;
  if (!HttpQueryInfoW(request.get(), what | HTTP_QUERY_FLAG_NUMBER, &value, &size, &index)) return std::nullopt;
  return value;
}

}  // namespace

bool connection_uses_proxy() {
  DWORD flags = 0;
  InternetGetConnectedState(&flags, 0);
  return (flags & INTERNET_CONNECTION_PROXY) != 0;
}

WebHandle open_internet(std::string_view agent, bool without_autoproxy, bool decode_content) {
  const DWORD access = without_autoproxy ? INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY
                                         : INTERNET_OPEN_TYPE_PRECONFIG;
  WebHandle internet = owned(InternetOpenW(to_utf16(agent).c_str(), access, nullptr, nullptr, 0));
  if (internet && decode_content) {
    BOOL decode = TRUE;
    InternetSetOptionW(internet.get(), INTERNET_OPTION_HTTP_DECODING, &decode, sizeof decode);
  }
  return internet;
}

WebHandle open_address(const WebHandle& internet, std::string_view url, std::string_view headers,
                       std::uint32_t flags) {
  const std::wstring wide_headers = to_utf16(headers);
  return owned(InternetOpenUrlW(internet.get(), to_utf16(url).c_str(), wide_headers.c_str(),
                                static_cast<DWORD>(wide_headers.size()), flags, 0));
}

std::optional<std::uint32_t> status_code(const WebHandle& request) {
  return query_number(request, HTTP_QUERY_STATUS_CODE);
}

std::optional<std::uint32_t> content_length(const WebHandle& request) {
  return query_number(request, HTTP_QUERY_CONTENT_LENGTH);
}

bool content_is_coded(const WebHandle& request) {
  wchar_t value[64] = {};
  DWORD size = sizeof value;
  DWORD index = 0;
  if (!HttpQueryInfoW(request.get(), HTTP_QUERY_CONTENT_ENCODING, value, &size, &index)) return false;
  return value[0] != L'\0' && lstrcmpiW(value, L"identity") != 0;
}

std::optional<std::size_t> read_block(const WebHandle& request, void* buffer, std::size_t size) {
  DWORD received = 0;
  if (!InternetReadFile(request.get(), buffer, static_cast<DWORD>(size), &received)) return std::nullopt;
  return received;
}

void show_message(std::string_view text, std::string_view title) {
  MessageBoxW(nullptr, to_utf16(text).c_str(), to_utf16(title).c_str(), MB_OK | MB_TASKMODAL);
}

}  // namespace platform
