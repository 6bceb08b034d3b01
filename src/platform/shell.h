#pragma once

#include <string_view>

namespace platform {

// Asks the shell to open the address (GBK) with the verb "open"; the result is not examined.
void shell_open(std::string_view address);

}  // namespace platform
