#include "platform/file_numbers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string contents(const char* path) {
  std::stringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

void write_plain(const char* path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(FileNumbers, TruncateCutsAnExistingFileAndAppendKeepsIt) {
  const char* path = "file_numbers_test.tmp";
  write_plain(path, std::string(1 << 20, 'x'));
  int number = platform::open_file_number(path, platform::OpenMode::truncate);
  ASSERT_NE(number, 0);
  EXPECT_TRUE(platform::write_file_number(number, "new", 3));
  platform::close_file_number(number);
  EXPECT_EQ(contents(path), "new");

  number = platform::open_file_number(path, platform::OpenMode::append);
  ASSERT_NE(number, 0);
  EXPECT_TRUE(platform::write_file_number(number, "+more", 5));
  platform::close_file_number(number);
  EXPECT_EQ(contents(path), "new+more");
  std::remove(path);
}

TEST(FileNumbers, ClosingTwiceOrClosingNothingDoesNothing) {
  const int number = platform::open_file_number("file_numbers_twice.tmp", platform::OpenMode::truncate);
  ASSERT_NE(number, 0);
  platform::close_file_number(number);
  platform::close_file_number(number);
  platform::close_file_number(0);
  platform::close_file_number(-1);
  platform::close_file_number(100000);
  EXPECT_FALSE(platform::write_file_number(number, "x", 1));
  std::remove("file_numbers_twice.tmp");
}

TEST(FileNumbers, OthersMayReadAndWriteWhileItIsOpen) {
  const int number = platform::open_file_number("file_numbers_shared.tmp", platform::OpenMode::truncate);
  ASSERT_NE(number, 0);
  EXPECT_TRUE(platform::write_file_number(number, "abc", 3));
  std::ifstream reader("file_numbers_shared.tmp");
  EXPECT_TRUE(reader.is_open());
  platform::close_file_number(number);
  std::remove("file_numbers_shared.tmp");
}

TEST(FileNumbers, AMissingDirectoryGivesNoNumber) {
  EXPECT_EQ(platform::open_file_number("no\\such\\dir\\x.tmp", platform::OpenMode::truncate), 0);
}

}  // namespace
