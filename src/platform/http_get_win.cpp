#include "platform/http_get.h"

#include <windows.h>
#include <wininet.h>

#include "platform/gbk_win.h"
#include "platform/handles_win.h"

namespace platform {

namespace {

constexpr DWORD kReadBlock = 10240;

const wchar_t* or_null(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

std::string read_body(HINTERNET request, std::size_t limit) {
  std::string body;
  char block[kReadBlock];
  DWORD got = 0;
  while (body.size() < limit && InternetReadFile(request, block, kReadBlock, &got) && got > 0) {
    body.append(block, std::min<std::size_t>(got, limit - body.size()));
  }
  return body;
}

}  // namespace

std::string http_get(const HttpAddress& address, const char* user_agent, std::size_t limit) {
  const InternetHandle session(InternetOpenW(to_utf16(user_agent).c_str(), INTERNET_OPEN_TYPE_PRECONFIG,
                                             nullptr, nullptr, 0));
  if (!session) return {};
  const std::wstring user = to_utf16(address.user), password = to_utf16(address.password);
  const InternetHandle connection(InternetConnectW(session.get(), to_utf16(address.host).c_str(),
                                                   static_cast<INTERNET_PORT>(address.port), or_null(user),
                                                   or_null(password), INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return {};
  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                      (address.secure ? INTERNET_FLAG_SECURE : 0);
  const InternetHandle request(HttpOpenRequestW(connection.get(), L"GET",
                                                to_utf16(address.path_and_query).c_str(), L"HTTP/1.0",
                                                nullptr, nullptr, flags, 0));
  if (!request) return {};
  if (!HttpSendRequestW(request.get(), L"Accept: */*", static_cast<DWORD>(-1), nullptr, 0)) return {};
  return read_body(request.get(), limit);
}

}  // namespace platform
