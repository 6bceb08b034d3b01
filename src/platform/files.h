// Whole-file operations on paths given in GBK.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The first `limit` bytes of the file at most; no value when it cannot be opened.
std::optional<std::string> read_file(std::string_view path, std::size_t limit);

bool delete_file(std::string_view path);

// Fails when `to` exists already.
bool rename_file(std::string_view from, std::string_view to);

}  // namespace platform
