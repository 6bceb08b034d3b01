// Byte-level rules of code page 936 (GBK) that the portable code needs. No platform headers:
// the same answers on every system, whatever its own ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace gbk {

// Where the program walks a text a character at a time, any byte of 0x80 or above starts a
// two-byte character, even one GBK itself would not use as a lead byte.
inline bool starts_double_byte(unsigned char byte) { return byte >= 0x80; }

// The code page's own lead-byte test (IsDBCSLeadByteEx for 936).
inline bool is_lead_byte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

inline constexpr std::string_view full_width_blank = "\xA1\xA1";

// Replaces each full-width form of an ASCII character (A3 A1 .. A3 FE) by that character and
// the full-width blank by a blank; every other byte stays as it is.
std::string fold_full_width(std::string_view text);

// The 1-based position of the first occurrence of `needle` in `text`, searching from `start`
// (below 1 counts as 1) a character at a time, so a match is tried only where a character
// begins; -1 when there is none, also when the text ends inside a character. Bytes compare
// exactly, or with ASCII letters folded when `ignore_case` is set.
long find(std::string_view text, std::string_view needle, long start, bool ignore_case = false);

// Every occurrence of `from` (found as by find) replaced by `to`.
std::string replace_all(std::string_view text, std::string_view from, std::string_view to);

}  // namespace gbk
