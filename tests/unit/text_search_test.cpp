#include <gtest/gtest.h>

#include "platform/gbk_bytes.h"
#include "version/text_between.h"

namespace {

TEST(GbkFind, SearchesACharacterAtATime) {
  const struct {
    std::string text, needle;
    long start;
    bool ignore_case;
    long found;
  } cases[] = {
      {"abcabc", "bc", 1, false, 2},
      {"abcabc", "bc", 3, false, 5},
      {"abcabc", "bc", -7, false, 2},
      {"abcabc", "bc", 6, false, -1},
      {"abcabc", "bc", 99, false, -1},
      {"abc", "", 1, false, 1},
      {"", "", 1, false, -1},
      {"abc", "BC", 1, false, -1},
      {"abc", "BC", 1, true, 2},
      // 谩 is D6 C1 and 秩 is D6 C8: "C1D6" would match across the two characters.
      {"\xD6\xC1\xD6\xC8", "\xC1\xD6", 1, false, -1},
      {"\xD6\xC1\xD6\xC8", "\xD6\xC8", 1, false, 3},
      // A second byte that looks like ASCII is not a character of its own.
      {"\x81" "a", "a", 1, false, -1},
      {"x\x81", "\x81" "a", 1, false, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(gbk::find(c.text, c.needle, c.start, c.ignore_case), c.found)
        << c.text << " / " << c.needle << " from " << c.start;
  }
}

TEST(GbkReplaceAll, ReplacesWholeCharactersOnly) {
  EXPECT_EQ(gbk::replace_all("a#引号b#引号", "#引号", "\""), "a\"b\"");
  EXPECT_EQ(gbk::replace_all("\xD6\xC1\xD6\xC8", "\xC1\xD6", "x"), "\xD6\xC1\xD6\xC8");
  EXPECT_EQ(gbk::replace_all("abc", "", "x"), "abc");
}

TEST(TextBetween, TakesTheFirstValueBetweenTheMarkers) {
  const std::string manifest = "标题\r\n主程序版本=3.1.0\r\n主程序下载地址=http://h/a.exe\r\n主程序版本=9\r\n";
  const struct {
    std::string source, start, end;
    long position;
    std::string value;
  } cases[] = {
      {manifest, "主程序版本=", "\r\n", 0, "3.1.0"},
      {manifest, "主程序下载地址=", "\r\n", 0, "http://h/a.exe"},
      {manifest, "主程序版本=", "\r\n", 20, "9"},
      {"主程序版本=2.0\n", "主程序版本=", "\r\n", 0, ""},
      {"主程序版本=1.0 \r\n", "主程序版本=", "\r\n", 0, "1.0 "},
      {"主程序版本=\r\n", "主程序版本=", "\r\n", 0, ""},
      {"说到主程序版本而已", "主程序版本=", "\r\n", 0, ""},
      {"k=\"v\";", "k=#引号", "#引号;", 1, "v"},
      {"ab", "b", "", 0, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text_between(c.source, c.start, c.end, c.position, false), c.value) << c.source;
  }
}

}  // namespace
