#include "startup/path_text.h"

#include "platform/gbk_bytes.h"

std::string directory_of(std::string_view path) {
  size_t last_backslash = std::string_view::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    if (gbk::starts_double_byte(static_cast<unsigned char>(path[i]))) {
      ++i;
    } else if (path[i] == '\\') {
      last_backslash = i;
    }
  }
  return last_backslash == std::string_view::npos ? std::string() : std::string(path.substr(0, last_backslash));
}
