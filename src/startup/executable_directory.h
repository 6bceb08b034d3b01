#pragma once

#include <string>

// Determined once, at process start, from the running executable's path.
void determine_executable_directory();
// The updater's directory, without a trailing backslash.
std::string executable_directory();
