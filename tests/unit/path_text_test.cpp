#include "startup/path_text.h"

#include <gtest/gtest.h>

TEST(DirectoryOf, CutsBeforeTheLastBackslash) {
  const struct {
    std::string path;
    std::string directory;
  } cases[] = {
      {"C:\\Program Files\\MCT\\updater.exe", "C:\\Program Files\\MCT"},
      {"C:\\updater.exe", "C:"},
      {"updater.exe", ""},
      {"", ""},
      {"C:\\dir\\", "C:\\dir"},
      // 表 is B1 ED and 乗 is 81 5C: a second byte of 5C is no backslash.
      {"C:\\\xB1\xED\\\x81\x5C.exe", "C:\\\xB1\xED"},
      {"C:\\a\x81\x5C", "C:"},
  };
  for (const auto& c : cases) EXPECT_EQ(directory_of(c.path), c.directory) << c.path;
}
