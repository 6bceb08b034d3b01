#include "platform/shell.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/gbk_win.h"

namespace platform {

void shell_open(std::string_view address) {
  ShellExecuteW(nullptr, L"open", to_utf16(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace platform
