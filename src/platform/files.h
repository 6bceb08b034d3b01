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

// Puts `from` in the place of `to` in one step, written through to the disk, so that `to`
// is at every moment either the old or the new file.
bool replace_file(std::string_view from, std::string_view to);

}  // namespace platform
