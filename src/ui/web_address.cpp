#include "ui/web_address.h"

namespace ui {

namespace {

bool starts_with_ignoring_case(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

bool is_web_address(std::string_view address) {
  return starts_with_ignoring_case(address, "http://") || starts_with_ignoring_case(address, "https://");
}

}  // namespace ui
