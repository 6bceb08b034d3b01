#include "platform/http_get.h"
#include "version/manifest.h"

namespace {
constexpr const char* kManifestUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
}

std::string fetch_manifest(std::string_view address) {
  if (address.empty()) return {};
  const auto parsed = parse_http_address(address);
  if (!parsed) return {};
  return platform::http_get(*parsed, kManifestUserAgent, kManifestLimitBytes);
}
