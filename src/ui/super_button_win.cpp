#include "ui/super_button_win.h"

#include <commctrl.h>

#include "platform/gbk_win.h"
#include "ui/control_state_win.h"

namespace ui {

namespace {

constexpr int kTooltipMaxWidth = 400;

void add_tooltip(HWND parent, HWND button, const char* tip) {
  HWND tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                 parent, nullptr, GetModuleHandleW(nullptr), nullptr);
  std::wstring text = platform::to_utf16(tip);
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = parent;
  tool.uId = reinterpret_cast<UINT_PTR>(button);
  tool.lpszText = text.data();
  SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, kTooltipMaxWidth);
}

}  // namespace

HWND create_super_button(HWND parent, const ControlSpec& spec) {
  ControlState& state = state_of(spec.id);
  state.caption = spec.text;
  state.font = create_control_font(spec.font);
  const DWORD style = WS_CHILD | BS_PUSHBUTTON | BS_MULTILINE | (spec.tab_stop ? WS_TABSTOP : 0) |
                      (spec.enabled ? 0 : WS_DISABLED);
  HWND button = CreateWindowExW(0, L"Button", platform::to_utf16(spec.text).c_str(), style,
                                spec.left, spec.top, spec.width, spec.height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id(spec.id))),
                                GetModuleHandleW(nullptr), nullptr);
  SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(state.font), FALSE);
  if (*spec.tooltip) add_tooltip(parent, button, spec.tooltip);
  return button;
}

}  // namespace ui
