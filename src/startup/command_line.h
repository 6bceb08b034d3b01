// The launch gate's reading of the process command line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits the command line (GBK bytes, as the process received it) into its arguments; the
// program's own path is skipped and is not in the list. There are no escapes: a backslash is
// an ordinary byte, and an empty pair of quotes is an (empty) argument.
std::vector<std::string> split_command_line(std::string_view line);
