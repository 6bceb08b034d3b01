// The WinInet operations of the download, each a thin wrapper. Texts are GBK.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace platform {

// An open WinInet handle; closed when the last owner lets go of it.
using WebHandle = std::shared_ptr<void>;

// Whether the connection-state query reports a proxy (INTERNET_CONNECTION_PROXY); its own
// result is not examined.
bool connection_uses_proxy();

// InternetOpen with the agent and no proxy names: the preconfigured access type, or, with
// `without_autoproxy`, the preconfigured one without automatic proxy detection. With
// `decode_content` WinInet decodes gzip and deflate bodies (it must be asked on this handle,
// before an address is opened).
WebHandle open_internet(std::string_view agent, bool without_autoproxy, bool decode_content);

// InternetOpenUrl with the extra header text and flags; null when it fails.
WebHandle open_address(const WebHandle& internet, std::string_view url,
                            std::string_view headers, std::uint32_t flags);

std::optional<std::uint32_t> status_code(const WebHandle& request);
std::optional<std::uint32_t> content_length(const WebHandle& request);
// Whether the response came with a Content-Encoding other than identity.
bool content_is_coded(const WebHandle& request);

// One InternetReadFile into the whole buffer: the count received (0 at the end), or no value
// when the read failed.
std::optional<std::size_t> read_block(const WebHandle& request, void* buffer, std::size_t size);

// A message box with one OK button, no owner and MB_TASKMODAL; returns when it is closed.
void show_message(std::string_view text, std::string_view title);

}  // namespace platform
