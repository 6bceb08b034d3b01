// The hand-off file gx.ini that the host writes beside the updater: where the manifest lies,
// which version is installed, the main program's file name and the go-ahead flag.
#pragma once

#include <string>
#include <string_view>

std::string handoff_path();

// One fresh lookup of `key` in section 配置; anything missing reads as the empty text.
std::string read_handoff_value(std::string_view key);

// The second pass: reads 版本, 文件名 (into program_name) and id, deletes the file, warns
// about empty values, and ends the program unless id is exactly "1". Returns the installed
// version. Version-check thread only.
std::string take_handoff();
