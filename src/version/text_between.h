#pragma once

#include <string>
#include <string_view>

// The text between the first start marker found from `position` (1-based; below 1 counts as 1)
// and the first end marker after it; empty when either is missing. In both markers "#引号"
// stands for a double quote.
std::string text_between(std::string_view source, std::string_view start_marker,
                         std::string_view end_marker, long position, bool ignore_case);
