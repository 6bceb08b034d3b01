#include "platform/http_address.h"

#include <charconv>
#include <vector>

namespace {

bool consume_prefix_ignoring_case(std::string_view& text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] + 32) : text[i];
    if (c != prefix[i]) return false;
  }
  text.remove_prefix(prefix.size());
  return true;
}

std::optional<int> port_number(std::string_view digits) {
  int port = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
  if (digits.empty() || error != std::errc{} || end != digits.data() + digits.size() || port < 1 ||
      port > 65535) {
    return std::nullopt;
  }
  return port;
}

bool read_authority(std::string_view authority, HttpAddress& address) {
  const size_t at = authority.rfind('@');
  if (at != std::string_view::npos) {
    const std::string_view user_info = authority.substr(0, at);
    const size_t colon = user_info.find(':');
    address.user = user_info.substr(0, colon);
    if (colon != std::string_view::npos) address.password = user_info.substr(colon + 1);
    authority.remove_prefix(at + 1);
  }
  const size_t bracket = authority.rfind(']');
  const size_t colon = authority.rfind(':');
  if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
    const std::optional<int> port = port_number(authority.substr(colon + 1));
    if (!port) return false;
    address.port = *port;
    authority = authority.substr(0, colon);
  }
  address.host = authority;
  return !address.host.empty();
}

}  // namespace

std::string remove_dot_segments(std::string_view path) {
  std::vector<std::string_view> kept;
  bool ends_in_directory = false;
  size_t start = path.empty() || path.front() != '/' ? 0 : 1;
  while (start <= path.size()) {
    const size_t slash = path.find('/', start);
    const std::string_view segment = path.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
    const bool last = slash == std::string_view::npos;
    if (segment == "..") {
      if (!kept.empty()) kept.pop_back();
      ends_in_directory = last;
    } else if (segment == ".") {
      ends_in_directory = last;
    } else {
      kept.push_back(segment);
      ends_in_directory = false;
    }
    if (last) break;
    start = slash + 1;
  }
  std::string resolved;
  for (std::string_view segment : kept) resolved.append("/").append(segment);
  if (ends_in_directory || resolved.empty()) resolved += '/';
  return resolved;
}

std::optional<HttpAddress> parse_http_address(std::string_view text) {
  HttpAddress address;
  if (consume_prefix_ignoring_case(text, "https://")) {
    address.secure = true;
    address.port = 443;
  } else if (!consume_prefix_ignoring_case(text, "http://")) {
    return std::nullopt;
  }
  const size_t authority_end = text.find_first_of("/?#");
  if (!read_authority(text.substr(0, authority_end), address)) return std::nullopt;
  if (authority_end == std::string_view::npos) {
    address.path_and_query = std::string(1, '/');  // a literal here trips a false -Wrestrict in GCC 12
    return address;
  }
  std::string_view rest = text.substr(authority_end);
  rest = rest.substr(0, rest.find('#'));
  const size_t query = rest.find('?');
  address.path_and_query = remove_dot_segments(rest.substr(0, query));
  if (query != std::string_view::npos) address.path_and_query.append(rest.substr(query));
  return address;
}
