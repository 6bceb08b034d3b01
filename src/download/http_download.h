// Fetching one address over HTTP into a local file, block by block, with a progress callback.
#pragma once

#include <cstdint>
#include <string_view>

// total length (0 when unknown), bytes so far, elapsed milliseconds, bytes this call received.
using ProgressCallback = void (*)(std::int32_t, std::int32_t, std::int32_t, std::int32_t);

// Returns 0 when the whole body was received and written, -1 after any failure, which has
// then been shown in a message box and the box closed. With `resume` nonzero only the bytes
// from `start_offset` on are asked for and appended to the local file. The local file's
// number goes to UpdateSession::download_file as soon as its open has been tried.
std::int32_t http_download(std::string_view url, std::string_view local_path, ProgressCallback progress,
                           std::int32_t start_offset, std::int32_t resume);
