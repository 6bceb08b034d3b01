// Key material shared with the host, which encodes its launch tokens with the same seeds.
#pragma once

#include <string_view>

// 49 printable ASCII characters, some repeated, no blanks.
extern const std::string_view seed_one;
// Each of A-Z, a-z and 0-9 exactly once, in an order of our own.
extern const std::string_view seed_two;
// The token this program holds, in encoded form only: its plain text exists only while the
// launch gate compares it with the argument.
extern const std::string_view expected_token;
