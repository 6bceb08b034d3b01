#include "version/profile_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ProfileValue, FollowsThePrivateProfileRules) {
  const struct {
    const char* name;
    std::string file, key, value;
  } cases[] = {
      {"plain", "[配置]\r\nid=1\r\n", "id", "1"},
      {"blanks around", "[配置]\r\n  id  =   1  \r\n", "id", "1"},
      {"tabs around", "[配置]\r\nid\t=\t1\t\r\n", "id", "1"},
      {"double quotes", "[配置]\r\nid=\"1\"\r\n", "id", "1"},
      {"single quotes keep inner blanks", "[配置]\r\n版本=' 3.0 9 '\r\n", "版本", " 3.0 9 "},
      {"unmatched quote kept", "[配置]\r\nid=\"1\r\n", "id", "\"1"},
      {"inline comment stays", "[配置]\r\nid=1 ; yes\r\n", "id", "1 ; yes"},
      {"upper-case key", "[配置]\r\nDOWNLOAD=http://a/\r\n", "download", "http://a/"},
      {"section case", "[Setup]\r\nID=1\r\n", "id", ""},
      {"lower-case section name", "[setup]\r\nid=1\r\n", "ID", ""},
      {"LF only", "[配置]\nid=1\n", "id", "1"},
      {"key missing", "[配置]\r\nversion=1\r\n", "id", ""},
      {"other section", "[其他]\r\nid=1\r\n[配置]\r\nx=2\r\n", "id", ""},
      {"section after another", "[其他]\r\nid=2\r\n[配置]\r\nid=1\r\n", "id", "1"},
      {"first key counts", "[配置]\r\nid=1\r\nid=2\r\n", "id", "1"},
      {"first section counts", "[配置]\r\nx=1\r\n[配置]\r\nid=1\r\n", "id", ""},
      {"comment line", "[配置]\r\n;id=1\r\n", "id", ""},
      {"no equals sign", "[配置]\r\nid\r\n", "id", ""},
      {"empty file", "", "id", ""},
      {"value with equals", "[配置]\r\ndownload=http://h/?a=b\r\n", "download", "http://h/?a=b"},
      {"blanks in section header", "[ 配置 ]\r\nid=1\r\n", "id", "1"},
  };
  for (const auto& c : cases) EXPECT_EQ(profile_value(c.file, "配置", c.key), c.value) << c.name;
}

TEST(ProfileValue, TrailByteOfTheSectionNameIsNoBracket) {
  // 乗 is 81 5D: its second byte is ']'.
  EXPECT_EQ(profile_value("[\x81\x5D]\r\nid=1\r\n", "\x81\x5D", "id"), "1");
}

TEST(ProfileValue, KeepsAtMost10239BytesAndNoHalfCharacter) {
  const std::string ascii(12000, 'v');
  EXPECT_EQ(profile_value("[配置]\r\nv=" + ascii + "\r\n", "配置", "v"), std::string(10239, 'v'));
  std::string gbk;
  for (int i = 0; i < 6000; ++i) gbk += "\xB0\xA1";
  const std::string value = profile_value("[配置]\r\nv=" + gbk + "\r\n", "配置", "v");
  EXPECT_EQ(value.size(), 10238u);
  EXPECT_EQ(value, gbk.substr(0, 10238));
  EXPECT_EQ(profile_value("[配置]\r\nv=" + std::string(10239, 'x'), "配置", "v").size(), 10239u);
}

}  // namespace
