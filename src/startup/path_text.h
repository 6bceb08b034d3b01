#pragma once

#include <string>
#include <string_view>

// The path cut before its last backslash (searched a character at a time, so the second byte
// of a double-byte character is never taken for one); empty when it holds none.
std::string directory_of(std::string_view path);
