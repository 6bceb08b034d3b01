#include "ui/web_address.h"

#include <gtest/gtest.h>

TEST(WebAddress, OnlyHttpAndHttpsGoToTheShell) {
  const struct {
    const char* address;
    bool web;
  } cases[] = {
      {"http://127.0.0.1/app.exe", true},
      {"HTTPS://example.test/new.exe", true},
      {"Http://x", true},
      {"", false},
      {"http:", false},
      {"C:\\Windows\\System32\\calc.exe", false},
      {"\\\\server\\share\\app.exe", false},
      {"file:///C:/app.exe", false},
      {"ftp://host/app.exe", false},
      {" http://leading.blank/", false},
      {"javascript:alert(1)", false},
  };
  for (const auto& c : cases) EXPECT_EQ(ui::is_web_address(c.address), c.web) << c.address;
}
