#include "version/profile_text.h"

#include "platform/gbk_bytes.h"

namespace {

bool is_profile_space(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && is_profile_space(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_profile_space(text.back())) text.remove_suffix(1);
  return text;
}

// ASCII letters compare alike in either case, but only where they are characters of their
// own: a second byte of a double-byte character is compared exactly.
bool same_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (gbk::starts_double_byte(static_cast<unsigned char>(a[i]))) {
      if (a.substr(i, 2) != b.substr(i, 2)) return false;
      ++i;
      continue;
    }
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view strip_quotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::string limited(std::string_view value) {
  const size_t limit = kProfileBufferBytes - 1;
  if (value.size() <= limit) return std::string(value);
  size_t end = 0;
  while (end < value.size()) {
    const size_t next = end + (gbk::starts_double_byte(static_cast<unsigned char>(value[end])) ? 2 : 1);
    if (next > limit) break;
    end = next;
  }
  return std::string(value.substr(0, end));
}

// The next line of `text` from `pos`; a line ends at LF or CR.
std::string_view next_line(std::string_view text, size_t& pos) {
  const size_t start = pos;
  const size_t end = text.find_first_of("\r\n", start);
  pos = end == std::string_view::npos ? text.size() : end + 1;
  return text.substr(start, (end == std::string_view::npos ? text.size() : end) - start);
}

// The name of a section header line, or false when the line is none.
bool section_name(std::string_view line, std::string_view& name) {
  if (line.empty() || line.front() != '[') return false;
  const long close = gbk::find(line, "]", 2);  // a second byte may be 0x5D
  name = trim(close < 0 ? line.substr(1) : line.substr(1, static_cast<size_t>(close) - 2));
  return true;
}

}  // namespace

std::string profile_value(std::string_view file_text, std::string_view section, std::string_view key) {
  bool in_section = false;
  bool seen_section = false;
  size_t pos = 0;
  while (pos < file_text.size()) {
    const std::string_view line = trim(next_line(file_text, pos));
    std::string_view name;
    if (section_name(line, name)) {
      if (in_section) return {};  // only the first section of that name counts
      in_section = !seen_section && same_name(name, section);
      seen_section = seen_section || in_section;
      continue;
    }
    if (!in_section || line.empty() || line.front() == ';') continue;
    const size_t equals = line.find('=');
    const std::string_view line_key = trim(line.substr(0, equals));
    if (!same_name(line_key, key)) continue;
    if (equals == std::string_view::npos) return {};
    return limited(strip_quotes(trim(line.substr(equals + 1))));
  }
  return {};
}
