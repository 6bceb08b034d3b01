// The publisher's manifest tool.
//   mkmanifest --version V --url ADDRESS [--title TEXT]   writes a manifest (GBK, CR LF) to stdout
//   mkmanifest --check FILE|http://ADDRESS                  shows what the updater will read from one
// Arguments and the report are UTF-8; the manifest itself is GBK, like the literals here.
#include <iconv.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/http_address.h"
#include "version/manifest.h"

namespace {

std::string convert(std::string_view text, const char* to, const char* from) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no converter");
  std::string out(text.size() * 4 + 4, '\0');
  char* in_ptr = const_cast<char*>(text.data());
  size_t in_left = text.size();
  char* out_ptr = out.data();
  size_t out_left = out.size();
  const size_t result = iconv(converter, &in_ptr, &in_left, &out_ptr, &out_left);
  iconv_close(converter);
  if (result == static_cast<size_t>(-1)) throw std::runtime_error("text not convertible between UTF-8 and GBK");
  out.resize(out.size() - out_left);
  return out;
}

std::string to_gbk(std::string_view utf8) { return convert(utf8, "GBK", "UTF-8"); }
std::string to_utf8(std::string_view gbk) { return convert(gbk, "UTF-8//TRANSLIT", "GBK"); }

// A value may not break the line it stands on.
void refuse_line_breaks(std::string_view what, std::string_view value) {
  if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
    throw std::runtime_error(std::string(what) + " must not hold a line break or a zero byte");
  }
}

std::string http_fetch(const HttpAddress& address) {
  if (address.secure) throw std::runtime_error("--check fetches http addresses only");
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(address.host.c_str(), std::to_string(address.port).c_str(), &hints, &found) != 0) {
    throw std::runtime_error("cannot find host " + address.host);
  }
  const int connection = socket(found->ai_family, found->ai_socktype, found->ai_protocol);
  const bool connected = connection >= 0 && connect(connection, found->ai_addr, found->ai_addrlen) == 0;
  freeaddrinfo(found);
  if (!connected) throw std::runtime_error("cannot connect to " + address.host);
  const std::string request = "GET " + address.path_and_query + " HTTP/1.0\r\nHost: " + address.host +
                              "\r\nAccept: */*\r\n\r\n";
  send(connection, request.data(), request.size(), 0);
  std::string response;
  char block[16384];
  for (ssize_t got; (got = recv(connection, block, sizeof block, 0)) > 0 && response.size() < kManifestLimitBytes * 2;) {
    response.append(block, static_cast<size_t>(got));
  }
  close(connection);
  const size_t body = response.find("\r\n\r\n");
  return body == std::string::npos ? std::string() : response.substr(body + 4, kManifestLimitBytes);
}

std::string read_source(const std::string& source) {
  if (auto address = parse_http_address(source)) return http_fetch(*address);
  std::ifstream file(source, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + source);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return bytes.substr(0, kManifestLimitBytes);
}

int check(const std::string& source) {
  const std::string text = manifest_text_of(read_source(source));
  if (!manifest_is_valid(text)) {
    std::puts(to_utf8("rejected: the text holds no 主程序版本 (the updater shows 网络文件有问题，管理员手抽筋鸟)").c_str());
    return 1;
  }
  const std::string version = server_version(text), address = download_address(text);
  std::printf("server version: \"%s\"\n", to_utf8(version).c_str());
  std::printf("download address: \"%s\"\n", to_utf8(address).c_str());
  if (version.empty()) std::puts(to_utf8("warning: empty version (no 主程序版本= line ended by CR LF)").c_str());
  if (!parse_http_address(address)) std::puts("warning: the download address is no http or https address");
  return version.empty() || !parse_http_address(address) ? 1 : 0;
}

int write_manifest(const std::string& version, const std::string& url, const std::string& title) {
  refuse_line_breaks("the version", version);
  refuse_line_breaks("the address", url);
  refuse_line_breaks("the title", title);
  if (version.empty()) throw std::runtime_error("the version must not be empty");
  if (!parse_http_address(url)) throw std::runtime_error("the address must be an absolute http or https address");
  std::string manifest;
  if (!title.empty()) manifest += to_gbk(title) + "\r\n";
  manifest += "主程序版本=" + to_gbk(version) + "\r\n";
  manifest += "主程序下载地址=" + to_gbk(url) + "\r\n";
  std::fwrite(manifest.data(), 1, manifest.size(), stdout);
  return 0;
}

[[noreturn]] void usage() {
  std::fputs("usage: mkmanifest --version V --url ADDRESS [--title TEXT] > list.txt\n"
             "       mkmanifest --check FILE|http://ADDRESS\n", stderr);
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    std::string version, url, title, source;
    for (int i = 1; i + 1 < argc; i += 2) {
      const std::string_view option = argv[i];
      if (option == "--version") version = argv[i + 1];
      else if (option == "--url") url = argv[i + 1];
      else if (option == "--title") title = argv[i + 1];
      else if (option == "--check") source = argv[i + 1];
      else usage();
    }
    if (argc % 2 == 0) usage();
    if (!source.empty()) return check(source);
    if (version.empty() && url.empty()) usage();
    return write_manifest(version, url, title);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mkmanifest: %s\n", e.what());
    return 1;
  }
}
