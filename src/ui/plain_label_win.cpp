#include "ui/plain_label_win.h"

#include "platform/gbk_win.h"
#include "ui/control_state_win.h"

namespace ui {

HWND create_plain_label(HWND parent, const ControlSpec& settings) {
  HWND label = CreateWindowExW(0, L"Static", platform::to_utf16(settings.text).c_str(),
                               WS_CHILD | SS_LEFT, settings.left, settings.top, settings.width, settings.height,
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id(settings.id))),
                               GetModuleHandleW(nullptr), nullptr);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  return label;
}

}  // namespace ui
