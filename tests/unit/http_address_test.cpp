#include "platform/http_address.h"

#include <gtest/gtest.h>

namespace {

TEST(HttpAddress, ReadsTheParts) {
  const struct {
    std::string text;
    bool secure;
    std::string user, password, host;
    int port;
    std::string path;
  } cases[] = {
      {"http://127.0.0.1/list.txt", false, "", "", "127.0.0.1", 80, "/list.txt"},
      {"HTTPS://example.test/a", true, "", "", "example.test", 443, "/a"},
      {"http://h:8080", false, "", "", "h", 8080, "/"},
      {"http://u:p@h/x?y=1", false, "u", "p", "h", 80, "/x?y=1"},
      {"http://u@h/", false, "u", "", "h", 80, "/"},
      {"http://h/list.txt#top", false, "", "", "h", 80, "/list.txt"},
      {"http://h/a?b#c?d", false, "", "", "h", 80, "/a?b"},
      {"http://h/a/./b/../c", false, "", "", "h", 80, "/a/c"},
      {"http://h/../../a", false, "", "", "h", 80, "/a"},
      {"http://h/a/..", false, "", "", "h", 80, "/"},
      {"http://h/a/b/.", false, "", "", "h", 80, "/a/b/"},
      {"http://h?q=../x", false, "", "", "h", 80, "/?q=../x"},
      {"http://h/%20a", false, "", "", "h", 80, "/%20a"},
      {"http://[::1]:81/a", false, "", "", "[::1]", 81, "/a"},
  };
  for (const auto& c : cases) {
    const auto address = parse_http_address(c.text);
    ASSERT_TRUE(address) << c.text;
    EXPECT_EQ(address->secure, c.secure) << c.text;
    EXPECT_EQ(address->user, c.user) << c.text;
    EXPECT_EQ(address->password, c.password) << c.text;
    EXPECT_EQ(address->host, c.host) << c.text;
    EXPECT_EQ(address->port, c.port) << c.text;
    EXPECT_EQ(address->path_and_query, c.path) << c.text;
  }
}

TEST(HttpAddress, RefusesWhatDoesNotParse) {
  for (const char* text : {"", "ftp://h/a", "file:///C:/a", "C:\\a.exe", "http://", "http:///a",
                           "http://h:/a", "http://h:0/", "http://h:65536/", "http://h:8x/",
                           "http:/h/a", "http://u@/a"}) {
    EXPECT_FALSE(parse_http_address(text)) << text;
  }
}

}  // namespace
