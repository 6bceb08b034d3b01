// Reading one value out of the text of a Windows INI (private profile) file, by the rules of
// the system's own reader, but on GBK bytes whatever the system's code page.
#pragma once

#include <string>
#include <string_view>

// The reader's buffer holds this many bytes with the terminating zero.
inline constexpr std::size_t kProfileBufferBytes = 10240;

// The value of `key` in `section`: names match without regard to ASCII letter case; the value
// is the text after the '=' with blanks around it and one pair of enclosing quotes (' or ")
// removed, and keeps at most kProfileBufferBytes - 1 bytes (never half a character). Anything
// missing reads as the empty text. The first matching section and key count.
std::string profile_value(std::string_view file_text, std::string_view section, std::string_view key);
