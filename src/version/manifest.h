// The version manifest: a short GBK text the server holds, with the lines
// "主程序版本=<version>" and "主程序下载地址=<address>", each ended by CR LF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A manifest is a short text: a server that sends without end must not exhaust memory, so no
// more than this is read, and the rest counts as not received.
inline constexpr std::size_t kManifestLimitBytes = 1 << 20;

// The body of the response to a GET of the address, or empty bytes; an empty address or one
// that is not http or https gives empty bytes without any network access.
std::string fetch_manifest(std::string_view address);

// The body as text: cut before its first zero byte.
std::string manifest_text_of(std::string_view body);

// A manifest is accepted when it holds "主程序版本" anywhere.
bool manifest_is_valid(std::string_view text);

std::string server_version(std::string_view manifest);
std::string download_address(std::string_view manifest);
