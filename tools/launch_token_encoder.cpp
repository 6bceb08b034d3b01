#include "launch_token_encoder.h"

#include <algorithm>
#include <cstdio>

const std::string_view launch_text = "LanXi-Updater:MuChuanTang:launch-gate:2026-12-11:v1.00";

namespace {

constexpr size_t kBodyStart = 14;
constexpr std::string_view kLeadAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

std::string encode_body(std::string_view plain, const std::string& table) {
  const std::string reversed(plain.rbegin(), plain.rend());
  std::string body;
  for (size_t i = 0; i < reversed.size(); i += 3) {
    const size_t count = std::min<size_t>(3, reversed.size() - i);
    unsigned bits = 0;
    for (size_t j = 0; j < 3; ++j) {
      const unsigned byte = j < count ? static_cast<unsigned char>(reversed[i + j]) : 0;
      bits = (bits << 8) | byte;
    }
    for (size_t v = 0; v < count + 1; ++v) body += table[(bits >> (18 - 6 * v)) & 0x3F];
  }
  return body;
}

}  // namespace

std::string encode_launch_token(std::string_view plain, std::string_view lead,
                                const RotationFields& rotations) {
  std::string token(lead.substr(0, 4));
  for (int k : rotations) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02d", k);
    token += digits;
  }
  return token + encode_body(plain, build_decode_table("", rotations));
}

std::string encode_random_launch_token(std::string_view plain, std::mt19937& random) {
  std::uniform_int_distribution<size_t> pick(0, kLeadAlphabet.size() - 1);
  std::uniform_int_distribution<int> field(0, 99);
  std::string lead;
  for (int i = 0; i < 4; ++i) lead += kLeadAlphabet[pick(random)];
  RotationFields rotations;
  for (int& k : rotations) k = field(random);
  return encode_launch_token(plain, lead, rotations);
}

std::string add_noise(std::string token, Noise kind, std::mt19937& random) {
  if (token.size() <= kBodyStart) return token;
  std::vector<std::string_view> pieces = {" ", "\r\n", "  "};
  if (kind == Noise::with_full_width_blanks) pieces.push_back("\xA1\xA1");
  std::uniform_int_distribution<size_t> piece(0, pieces.size() - 1);
  std::uniform_int_distribution<size_t> place(kBodyStart, token.size());
  std::vector<size_t> places(std::uniform_int_distribution<size_t>(2, 6)(random));
  for (size_t& at : places) at = place(random);
  // Inserting from the back keeps every place a character boundary of the original body,
  // never the middle of a full-width blank inserted before.
  std::sort(places.rbegin(), places.rend());
  for (size_t i = 0; i < places.size(); ++i) {
    token.insert(places[i], i == 0 ? " " : pieces[piece(random)]);
  }
  return token;
}
