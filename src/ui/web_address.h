#pragma once

#include <string_view>

namespace ui {

// Whether the text is an http:// or https:// address (scheme in any letter case). Only such an
// address is handed to the shell: it would run a program path or open any other scheme.
bool is_web_address(std::string_view address);

}  // namespace ui
