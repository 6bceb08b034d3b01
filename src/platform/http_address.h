// Reading an absolute http:// or https:// address into the parts a request needs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct HttpAddress {
  bool secure = false;  // https
  std::string user;
  std::string password;
  std::string host;
  int port = 80;
  std::string path_and_query;  // dot segments resolved; never empty
};

// Scheme in any letter case; default port 80 or 443; everything from the first '#' after the
// host on is dropped; nothing is percent-encoded or decoded. No value for an address that does
// not parse or has another scheme.
std::optional<HttpAddress> parse_http_address(std::string_view address);

// RFC 3986's removal of "." and ".." segments from a path.
std::string remove_dot_segments(std::string_view path);
