// The program keeps its texts as GBK bytes; the system is spoken to in UTF-16. Converting with
// code page 936 explicitly makes the program behave alike whatever the system's ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::wstring to_utf16(std::string_view gbk);
// Characters that GBK cannot express come out as '?'.
std::string to_gbk(std::wstring_view utf16);

}  // namespace platform
