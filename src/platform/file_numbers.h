// Open files known by number, as the download and the window's destroy handler share them:
// a nonzero number for an open file, 0 for none.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

enum class OpenMode {
  truncate,  // create the file, or cut an existing one to length 0
  append,    // open (or create) without cutting, writing at the end
};

// Opens the file for writing, shared for reading and writing with others. Returns 0 on failure.
int open_file_number(std::string_view path, OpenMode mode);

// Writes all of `data` at the current position; false when the file is not open or the write
// fell short.
bool write_file_number(int number, const void* data, std::size_t size);

// Has the system write the file's data through to the disk; false when that failed.
bool flush_file_number(int number);

// Closes the file if `number` is open; any other number (0 included) does nothing. Safe to
// call from another thread than the one that opened the file, and more than once.
void close_file_number(int number);

}  // namespace platform
