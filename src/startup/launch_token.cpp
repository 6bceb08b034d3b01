#include "startup/launch_token.h"

#include <charconv>
#include <climits>
#include <cmath>

#include "platform/gbk_bytes.h"
#include "startup/key_material.h"

namespace {

constexpr size_t kIgnoredLeadBytes = 4;
constexpr size_t kFieldBytes = 2;
constexpr size_t kRotationBytes = kFieldBytes * 5;

bool is_c_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view after(std::string_view text, size_t count) {
  return text.size() > count ? text.substr(count) : std::string_view{};
}

int truncate_to_int(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

std::string rotate(const std::string& source, int k) {
  if (k <= 0) return source;
  const size_t part = std::min(static_cast<size_t>(k), source.size());
  return source.substr(source.size() - part) + source + source.substr(0, part);
}

std::string distinct_in_order(std::string_view source) {
  bool seen[256] = {};
  std::string distinct;
  for (char c : source) {
    auto& mark = seen[static_cast<unsigned char>(c)];
    if (!mark) distinct += c;
    mark = true;
  }
  return distinct;
}

// The 0-based table index of b, or -1 when b is not in the table.
int table_index(const std::string& table, unsigned char b) {
  if (b == 0) return 0;
  const size_t at = table.find(static_cast<char>(b));
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

std::string up_to_first_zero(std::string text) {
  const size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  return text;
}

}  // namespace

int read_rotation_field(std::string_view field) {
  const std::string folded = gbk::fold_full_width(field);
  size_t pos = 0;
  while (pos < folded.size() && is_c_space(folded[pos])) ++pos;
  bool negative = false;
  if (pos < folded.size() && (folded[pos] == '+' || folded[pos] == '-')) {
    negative = folded[pos] == '-';
    ++pos;
  }
  // from_chars takes neither blanks nor a plus sign, which were handled above; a leading
  // minus after the sign would be a second sign, which a decimal conversion refuses too.
  if (pos < folded.size() && folded[pos] == '-') return 0;
  double value = 0;
  const char* first = folded.data() + pos;
  const auto result = std::from_chars(first, folded.data() + folded.size(), value);
  if (result.ec == std::errc::invalid_argument) return 0;
  return truncate_to_int(negative ? -value : value);
}

RotationFields read_rotation_fields(std::string_view text) {
  RotationFields fields{};
  for (size_t i = 0; i < fields.size(); ++i) {
    const size_t start = i * kFieldBytes;
    fields[i] = start < text.size() ? read_rotation_field(text.substr(start, kFieldBytes)) : 0;
  }
  return fields;
}

std::string build_decode_table(std::string_view key, const RotationFields& rotations) {
  std::string source = std::string(key) + std::string(seed_one) + std::string(seed_two);
  for (int k : rotations) source = rotate(source, k);
  return distinct_in_order(source) + "+/";
}

std::string strip_body_noise(std::string_view body) {
  std::string kept;
  for (size_t i = 0; i < body.size(); ++i) {
    if (gbk::starts_double_byte(static_cast<unsigned char>(body[i]))) {
      if (i + 1 < body.size() && body.substr(i, 2) != gbk::full_width_blank) {
        kept.append(body.substr(i, 2));
      }
      ++i;
    } else if (body[i] != ' ') {
      kept += body[i];
    }
  }
  std::string stripped;
  for (size_t i = 0; i < kept.size(); ++i) {
    if (kept[i] == '\r' && i + 1 < kept.size() && kept[i + 1] == '\n') {
      ++i;
    } else {
      stripped += kept[i];
    }
  }
  return stripped;
}

std::string keyed_base64_decode(std::string_view text, std::string_view key,
                                GroupHook after_each_group) {
  const std::string table = build_decode_table(key, read_rotation_fields(text));
  const std::string body = strip_body_noise(after(text, kRotationBytes));
  const size_t groups = (body.size() + 3) / 4;
  unsigned char slots[4] = {};
  std::string output;
  int stopped_at = 0;
  for (size_t group = 0; group < groups; ++group) {
    for (size_t j = 0; j < 4; ++j) {
      stopped_at = static_cast<int>(j) + 1;
      const size_t pos = group * 4 + j;
      const auto b = static_cast<unsigned char>(pos < body.size() ? body[pos] : 0);
      slots[j] = b;
      const int index = table_index(table, b);
      if (index < 0) break;
      slots[j] = static_cast<unsigned char>(index);
      if (j == 3) stopped_at = 5;
    }
    output += static_cast<char>((slots[0] << 2) | (slots[1] >> 4));
    output += static_cast<char>((slots[1] << 4) | (slots[2] >> 2));
    output += static_cast<char>((slots[2] << 6) | slots[3]);
    if (after_each_group) after_each_group();
  }
  if (stopped_at < 5) {
    const size_t cut = static_cast<size_t>(5 - stopped_at);
    output.resize(output.size() > cut ? output.size() - cut : 0);
  }
  return up_to_first_zero(std::move(output));
}

std::string reverse_characters(std::string_view text) {
  std::string_view rest = text;
  std::string reversed;
  for (size_t round = 0; round < text.size(); ++round) {
    long n = static_cast<long>(rest.size()) - 1;
    if (!rest.empty() && gbk::is_lead_byte(static_cast<unsigned char>(rest.back()))) {
      reversed.append(rest.substr(rest.size() >= 2 ? rest.size() - 2 : 0));
      --n;
    } else if (!rest.empty()) {
      reversed += rest.back();
    }
    rest = n > 0 ? rest.substr(0, static_cast<size_t>(n)) : std::string_view{};
    if (n <= 0) break;
  }
  return reversed;
}

std::string decode_launch_token(std::string_view token, GroupHook after_each_group) {
  const std::string bytes = keyed_base64_decode(after(token, kIgnoredLeadBytes), "",
                                                after_each_group);
  return reverse_characters(bytes);
}
