#include "version/manifest.h"

#include "platform/gbk_bytes.h"
#include "version/text_between.h"

std::string manifest_text_of(std::string_view body) { return std::string(body.substr(0, body.find('\0'))); }

bool manifest_is_valid(std::string_view text) { return gbk::find(text, "主程序版本", 1) > 0; }

std::string server_version(std::string_view manifest) {
  return text_between(manifest, "主程序版本=", "\r\n", 0, false);
}

std::string download_address(std::string_view manifest) {
  return text_between(manifest, "主程序下载地址=", "\r\n", 0, false);
}
