#include "ui/super_button_win.h"

#include <commctrl.h>

#include <string>

#include "platform/gbk_win.h"
#include "ui/control_state_win.h"

namespace ui {

namespace {

constexpr int kTooltipMaxWidth = 400;
constexpr UINT_PTR kHoverSubclass = 1;

struct ColourPair {
  COLORREF text, back;
};

struct ButtonColours {
  ColourPair normal, hover, focus;
};

constexpr COLORREF kGreen = 0x00317C1A;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kCyan = RGB(0, 255, 255);
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kMainGreen = 0x0080E000;

ButtonColours colours_of(Control button) {
  switch (button) {
    case Control::超级按钮3: return {{kCyan, kGreen}, {kMagenta, kGreen}, {kCyan, kGreen}};
    case Control::超级按钮2: return {{kWhite, kGreen}, {kCyan, kGreen}, {kWhite, kGreen}};
    case Control::超级按钮1: return {{kWhite, kGreen}, {kRed, kGreen}, {kWhite, kGreen}};
    default: return {{kWhite, kMainGreen}, {kWhite, kMagenta}, {kWhite, kMainGreen}};
  }
}

Control control_of(HWND button) { return static_cast<Control>(GetDlgCtrlID(button) - kControlIdBase); }

void set_hovering(HWND button, bool hovering) {
  bool& state = state_of(control_of(button)).hovering;
  if (state == hovering) return;
  state = hovering;
  InvalidateRect(button, nullptr, FALSE);
}

LRESULT CALLBACK track_hover(HWND button, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  if (message == WM_MOUSEMOVE && !state_of(control_of(button)).hovering && !(wparam & MK_LBUTTON)) {
    TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, button, 0};
    TrackMouseEvent(&leave);
    set_hovering(button, true);
  } else if (message == WM_MOUSELEAVE) {
    set_hovering(button, false);
  }
  return DefSubclassProc(button, message, wparam, lparam);
}

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

std::wstring caption_of(HWND button) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(button)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(button, text.data(), static_cast<int>(text.size()))));
  return text;
}

// The caption's box: as wide as the button, as high as the wrapped text, centred vertically.
RECT caption_box(HDC dc, const std::wstring& caption, const RECT& face, UINT format) {
  RECT measured = face;
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &measured, format | DT_CALCRECT);
  const int height = measured.bottom - measured.top;
  const int top = face.top + (face.bottom - face.top - height) / 2;
  return {face.left, top, face.right, top + height};
}

void draw_caption(HDC dc, const std::wstring& caption, RECT box, int offset, COLORREF colour, UINT format) {
  OffsetRect(&box, offset, offset);
  SetTextColor(dc, colour);
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &box, format);
}

}  // namespace

HWND create_super_button(HWND parent, const ControlSpec& settings) {
  ControlState& state = state_of(settings.id);
  state.caption = settings.text;
  state.font = create_control_font(settings.font);
  const DWORD style = WS_CHILD | BS_OWNERDRAW | (settings.tab_stop ? WS_TABSTOP : 0) | (settings.enabled ? 0 : WS_DISABLED);
  HWND button = CreateWindowExW(0, L"Button", platform::to_utf16(settings.text).c_str(), style,
                                settings.left, settings.top, settings.width, settings.height, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id(settings.id))),
                                GetModuleHandleW(nullptr), nullptr);
  SetWindowSubclass(button, track_hover, kHoverSubclass, 0);
  if (*settings.tooltip) add_tooltip(parent, button, settings.tooltip);
  return button;
}

void draw_super_button(const DRAWITEMSTRUCT& item) {
  const Control id = control_of(item.hwndItem);
  const ButtonColours colours = colours_of(id);
  const bool pressed = item.itemState & ODS_SELECTED;
  const bool disabled = item.itemState & ODS_DISABLED;
  const ColourPair& pair = pressed || state_of(id).hovering ? colours.hover
                           : item.itemState & ODS_FOCUS     ? colours.focus
                                                            : colours.normal;
  HDC dc = item.hDC;
  HBRUSH back = CreateSolidBrush(pair.back);
  FillRect(dc, &item.rcItem, back);
  DeleteObject(back);
  const std::wstring caption = caption_of(item.hwndItem);
  const UINT format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
  HGDIOBJ previous_font = SelectObject(dc, state_of(id).font);
  SetBkMode(dc, TRANSPARENT);
  const RECT box = caption_box(dc, caption, item.rcItem, format);
  if (disabled) {
    draw_caption(dc, caption, box, 1, GetSysColor(COLOR_3DHILIGHT), format);
    draw_caption(dc, caption, box, 0, GetSysColor(COLOR_3DSHADOW), format);
  } else {
    draw_caption(dc, caption, box, pressed ? 1 : 0, pair.text, format);
  }
  SelectObject(dc, previous_font);
}

}  // namespace ui
