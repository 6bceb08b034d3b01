#pragma once

#include <cstddef>
#include <string>

#include "platform/http_address.h"

namespace platform {

// One GET over HTTP/1.0 with "Accept: */*" and the given user agent, never from or into the
// local cache, redirects followed, the system's proxy settings, TLS for https and the
// address's user name and password. Returns the body whatever the status: empty when the
// request could not be made, what arrived when reading failed part-way, and at most `limit`
// bytes (the rest counts as not received).
std::string http_get(const HttpAddress& address, const char* user_agent, std::size_t limit);

}  // namespace platform
