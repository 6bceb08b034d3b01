#include "startup/launch_token.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "launch_token_encoder.h"
#include "startup/key_material.h"

namespace {

int groups_seen = 0;
void count_group() { ++groups_seen; }

std::string decode(std::string_view token) { return decode_launch_token(token, nullptr); }

TEST(LaunchToken, ExpectedTokenDecodesToTheLaunchText) {
  EXPECT_EQ(expected_token.size(), 86u);
  EXPECT_EQ(decode(expected_token), launch_text);
}

TEST(LaunchToken, EncodedTextsRoundTrip) {
  const struct {
    std::string plain;
    RotationFields rotations;
  } cases[] = {
      {std::string(launch_text), {0, 0, 0, 0, 0}},
      {std::string(launch_text), {99, 99, 99, 99, 99}},
      {"a", {1, 2, 3, 4, 5}},
      {"ab", {50, 0, 7, 98, 13}},
      {"abc", {10, 20, 30, 40, 50}},
      {"\x7F\x01 ~!\"#$%&'()*+,-./0123456789:;<=>?@[\\]^_`{|}", {33, 66, 99, 1, 0}},
  };
  for (const auto& c : cases) {
    const std::string token = encode_launch_token(c.plain, "lead", c.rotations);
    EXPECT_EQ(decode(token), c.plain) << token;
  }
}

TEST(LaunchToken, RandomTokensRoundTripAndDifferInLeadBytes) {
  std::mt19937 random(7);
  for (int i = 0; i < 200; ++i) {
    const std::string token = encode_random_launch_token(launch_text, random);
    ASSERT_EQ(decode(token), launch_text) << token;
    std::string other_lead = token;
    other_lead.replace(0, 4, "\xA1\xA1\" ");
    ASSERT_EQ(decode(other_lead), launch_text) << other_lead;
  }
}

TEST(LaunchToken, HandlesEventsAfterEveryGroup) {
  const std::string token = encode_launch_token("abcdefg", "1234", {3, 1, 4, 1, 5});
  groups_seen = 0;
  decode_launch_token(token, count_group);
  EXPECT_EQ(groups_seen, 3);  // 11 body characters: two full groups and a short one
}

TEST(LaunchToken, ShortTokensDecodeToNothing) {
  for (std::string_view token : {"", "abcd", "abcd0000000000", "abcd1234567890"}) {
    EXPECT_EQ(decode(token), "") << token;
  }
}

TEST(LaunchToken, BodyNoiseIsIgnored) {
  std::mt19937 random(11);
  for (int i = 0; i < 200; ++i) {
    const std::string token = encode_random_launch_token(launch_text, random);
    const std::string noisy = add_noise(token, Noise::with_full_width_blanks, random);
    ASSERT_EQ(decode(noisy), launch_text) << noisy;
  }
  const std::string token = encode_launch_token(launch_text, "lead", {12, 34, 56, 78, 90});
  std::string split_crlf = token;
  split_crlf.insert(20, "\r \xA1\xA1\n");  // blanks go first, then the CR LF they joined
  EXPECT_EQ(decode(split_crlf), launch_text);
}

TEST(LaunchToken, TabAndLoneLineFeedChangeTheResult) {
  const std::string token = encode_launch_token(launch_text, "lead", {12, 34, 56, 78, 90});
  for (std::string_view noise : {"\t", "\n", "\r"}) {
    std::string changed = token;
    changed.insert(30, noise);
    EXPECT_NE(decode(changed), launch_text);
  }
}

TEST(LaunchToken, ShortLastGroupMayBeCompletedWithForeignCharacters) {
  for (std::string_view plain : {"a", "ab", "abcd", "abcde"}) {
    const std::string token = encode_launch_token(plain, "lead", {5, 0, 0, 0, 9});
    const size_t short_by = (4 - (token.size() - 14) % 4) % 4;
    const std::string padding(short_by, '!');  // '!' is not in the table
    EXPECT_EQ(decode(token), plain);
    EXPECT_EQ(decode(token + padding), plain);
  }
}

TEST(RotationField, ReadsLikeADecimalConversion) {
  const struct {
    std::string_view field;
    int value;
  } cases[] = {
      {"07", 7}, {"7x", 7}, {" 9", 9}, {"\t8", 8}, {"-3", -3}, {"+5", 5}, {"x7", 0},
      {".9", 0}, {"9.", 9}, {"1e", 1}, {"", 0}, {"  ", 0}, {"--", 0}, {"+-", 0}, {"-", 0},
      {"\xA3\xB7", 7}, {"\xA3\xAD", 0}, {"\xA1\xA1", 0}, {"1\xA3", 1}, {"\xD6\xD0", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(read_rotation_field(c.field), c.value) << '"' << c.field << '"';
  }
}

TEST(RotationField, FullWidthDigitsMakeTheSameTable) {
  const std::string full_width = "\xA3\xB1\xA3\xB2\xA3\xB3\xA3\xB4\xA3\xB5";  // １２３４５
  EXPECT_EQ(read_rotation_fields(full_width), (RotationFields{1, 2, 3, 4, 5}));
  EXPECT_EQ(read_rotation_fields("0102030405"), (RotationFields{1, 2, 3, 4, 5}));
  EXPECT_EQ(read_rotation_fields("010"), (RotationFields{1, 0, 0, 0, 0}));
}

std::string distinct(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (out.find(c) == std::string::npos) out += c;
  }
  return out;
}

TEST(DecodeTable, UnrotatedIsTheDistinctSeedCharacters) {
  const std::string unrotated = distinct(std::string(seed_one) + std::string(seed_two)) + "+/";
  EXPECT_EQ(build_decode_table("", {0, 0, 0, 0, 0}), unrotated);
  for (std::string_view fields : {"-5-5-5-5-5", "xxxxxxxxxx", "          "}) {
    EXPECT_EQ(build_decode_table("", read_rotation_fields(fields)), unrotated) << fields;
  }
}

TEST(DecodeTable, RotationMovesTheTailToTheFront) {
  const std::string source = std::string(seed_one) + std::string(seed_two);
  // One rotation by 3 puts the last three characters of seed_two first.
  EXPECT_EQ(build_decode_table("", {3, 0, 0, 0, 0}).substr(0, 3), source.substr(source.size() - 3));
  EXPECT_EQ(build_decode_table("ZZ", {0, 0, 0, 0, 0})[0], 'Z');
}

TEST(KeyedBase64, ForeignCharacterInAMiddleGroupKeepsTheOldSlots) {
  const std::string table = build_decode_table("", {0, 0, 0, 0, 0});
  std::string text = "0000000000";
  text += {table[1], table[2], table[3], table[4]};
  text += {table[5], '"', table[63], table[63]};  // stops at '"'; slots 3 and 4 stay 3 and 4
  text += {table[6], table[7], table[8], table[9]};
  EXPECT_EQ(keyed_base64_decode(text, "", nullptr), "\x04\x20\xC4\x16\x20\xC4\x18\x72\x09");
}

TEST(KeyedBase64, EarlyStopInTheLastGroupTrimsTheOutput) {
  const std::string table = build_decode_table("", {0, 0, 0, 0, 0});
  const std::string full = {table[1], table[2], table[3], table[4]};  // bytes 04 20 C4
  const std::string second = {table[5], table[6], table[7], table[8]};  // bytes 14 61 C8
  const struct {
    std::string last_group;
    std::string output;
  } cases[] = {
      {second, "\x04\x20\xC4\x14\x61\xC8"},
      {second.substr(0, 3) + '"', "\x04\x20\xC4\x14\x61"},
      {second.substr(0, 2) + '"', "\x04\x20\xC4\x14"},
      {second.substr(0, 1) + '"', "\x04\x20\xC4"},
      {"\"", "\x04\x20"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(keyed_base64_decode("0000000000" + full + c.last_group, "", nullptr), c.output);
  }
  EXPECT_EQ(keyed_base64_decode("0000000000\"", "", nullptr), "");
}

TEST(KeyedBase64, StopsAtTheFirstZeroByte) {
  const std::string table = build_decode_table("", {0, 0, 0, 0, 0});
  const std::string text = std::string("0000000000") + table[0] + table[0] + table[1] + table[4];
  EXPECT_EQ(keyed_base64_decode(text, "", nullptr), "");  // 00 00 44
}

TEST(ReverseCharacters, ReversesByTheLastByteLeft) {
  const struct {
    std::string text;
    std::string reversed;
  } cases[] = {
      {"", ""},
      {"a", "a"},
      {"abc", "cba"},
      {"\xD6\xD0\xCE\xC4", "\xCE\xC4\xD6\xD0"},        // 中文: whole characters
      {"a\x81\x40", "\x40" "a\x81"},                   // second byte below 0x80 comes apart
      {"\x81", "\x81"},
      {"x\xD6\xD0y", "y\xD6\xD0x"},
  };
  for (const auto& c : cases) EXPECT_EQ(reverse_characters(c.text), c.reversed);
}

}  // namespace

namespace {

std::string doc_line_after(const std::string& doc, const std::string& marker) {
  const size_t at = doc.find(marker);
  if (at == std::string::npos) return {};
  const size_t start = doc.find("```\n", at) + 4;
  return doc.substr(start, doc.find('\n', start) - start);
}

TEST(HostIntegrationDocument, ExampleTokenAndKeyMaterialMatchTheProgram) {
  std::ifstream file(HOST_INTEGRATION_DOC);
  const std::string doc((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_NE(doc.find("seed_one=" + std::string(seed_one) + "\n"), std::string::npos);
  EXPECT_NE(doc.find("seed_two=" + std::string(seed_two) + "\n"), std::string::npos);
  EXPECT_NE(doc.find("launch_text=" + std::string(launch_text) + "\n"), std::string::npos);
  const std::string example = doc_line_after(doc, "give the token");
  EXPECT_EQ(example, encode_launch_token(launch_text, "7TM5", {51, 42, 9, 17, 63}));
  EXPECT_EQ(decode_launch_token(example, nullptr), launch_text);
}

}  // namespace
