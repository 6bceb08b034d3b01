#include "platform/gbk_bytes.h"

namespace gbk {

std::string fold_full_width(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (!starts_double_byte(lead) || i + 1 == text.size()) {
      folded += text[i];
      continue;
    }
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      folded += static_cast<char>(trail - 0x80);
    } else if (lead == 0xA1 && trail == 0xA1) {
      folded += ' ';
    } else {
      folded.append(text.substr(i, 2));
    }
    ++i;
  }
  return folded;
}

namespace {

char fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool matches_at(std::string_view text, size_t at, std::string_view needle, bool ignore_case) {
  if (text.size() - at < needle.size()) return false;
  for (size_t i = 0; i < needle.size(); ++i) {
    const char a = text[at + i], b = needle[i];
    if (ignore_case ? fold(a) != fold(b) : a != b) return false;
  }
  return true;
}

}  // namespace

long find(std::string_view text, std::string_view needle, long start, bool ignore_case) {
  size_t at = start < 1 ? 0 : static_cast<size_t>(start - 1);
  while (at < text.size()) {
    if (matches_at(text, at, needle, ignore_case)) return static_cast<long>(at + 1);
    at += starts_double_byte(static_cast<unsigned char>(text[at])) ? 2 : 1;
  }
  return -1;
}

std::string replace_all(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string replaced;
  size_t done = 0;
  for (long at = find(text, from, 1); at > 0; at = find(text, from, at + static_cast<long>(from.size()))) {
    replaced.append(text.substr(done, static_cast<size_t>(at - 1) - done)).append(to);
    done = static_cast<size_t>(at - 1) + from.size();
  }
  return replaced.append(text.substr(done));
}

}  // namespace gbk
