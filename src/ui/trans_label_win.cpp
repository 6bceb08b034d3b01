#include "ui/trans_label_win.h"

#include <string>

#include "platform/gbk_win.h"
#include "ui/control_state_win.h"

namespace ui {

namespace {

constexpr wchar_t kClass[] = L"TransLabel";
constexpr UINT kWriteText = WM_APP + 1;    // lparam: the new text, UTF-16
constexpr UINT kWriteColour = WM_APP + 2;  // wparam: the new COLORREF
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

UINT alignment_format(Alignment alignment) {
  switch (alignment) {
    case Alignment::centred: return DT_CENTER;
    case Alignment::right: return DT_RIGHT;
    case Alignment::left: break;
  }
  return DT_LEFT;
}

struct EffectDrawing {
  bool copy;
  COLORREF copy_colour;
  POINT copy_offset;
  POINT text_offset;
};

EffectDrawing effect_drawing(Effect effect) {
  switch (effect) {
    case Effect::white_shadow: return {true, kWhite, {1, 1}, {0, 0}};
    case Effect::white_highlight: return {true, kWhite, {0, 0}, {1, 1}};
    case Effect::black_shadow: return {true, kBlack, {2, 2}, {0, 0}};
    case Effect::none: break;
  }
  return {false, 0, {0, 0}, {0, 0}};
}

void draw_text_at(HDC dc, const std::wstring& text, RECT box, POINT offset, UINT format) {
  OffsetRect(&box, offset.x, offset.y);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
}

std::wstring window_text(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

Control control_of(HWND label) { return static_cast<Control>(GetDlgCtrlID(label) - kControlIdBase); }

void paint(HWND window, Control id) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  const ControlSpec& settings = spec_of(id);
  const ControlState& state = state_of(id);
  const std::wstring text = window_text(window);
  RECT box;
  GetClientRect(window, &box);
  const UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | alignment_format(settings.alignment);
  const EffectDrawing effect = effect_drawing(settings.effect);
  HGDIOBJ previous_font = SelectObject(dc, state.font);
  SetBkMode(dc, TRANSPARENT);
  if (effect.copy) {
    SetTextColor(dc, effect.copy_colour);
    draw_text_at(dc, text, box, effect.copy_offset, format);
  }
  SetTextColor(dc, state.text_colour.load());
  draw_text_at(dc, text, box, effect.text_offset, format);
  SelectObject(dc, previous_font);
  EndPaint(window, &ps);
}

BOOL CALLBACK redraw_if_overlapping(HWND child, LPARAM lparam) {
  const RECT& area = *reinterpret_cast<const RECT*>(lparam);
  RECT bounds, overlap;
  GetWindowRect(child, &bounds);
  if (IsWindowVisible(child) && IntersectRect(&overlap, &bounds, &area)) {
    MapWindowPoints(nullptr, child, reinterpret_cast<POINT*>(&overlap), 2);
    RedrawWindow(child, &overlap, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }
  return TRUE;
}

void repaint(HWND window) {
  const HWND top = GetAncestor(window, GA_ROOT);
  RECT screen_area;
  GetWindowRect(window, &screen_area);
  RECT client_area = screen_area;
  MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&client_area), 2);
  RedrawWindow(top, &client_area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EnumChildWindows(top, redraw_if_overlapping, reinterpret_cast<LPARAM>(&screen_area));
  InvalidateRect(window, nullptr, TRUE);
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    switch (message) {
      case WM_ERASEBKGND:
        return 1;  // the main window's background shows through
      case WM_PAINT:
        paint(window, control_of(window));
        return 0;
      case kWriteText:
        SetWindowTextW(window, reinterpret_cast<const wchar_t*>(lparam));
        repaint(window);
        return 0;
      case kWriteColour:
        state_of(control_of(window)).text_colour = static_cast<COLORREF>(wparam);
        repaint(window);
        return 0;
    }
  } catch (...) {
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void register_class() {
  static const bool registered = [] {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.lpszClassName = kClass;
    return RegisterClassW(&window_class) != 0;
  }();
  (void)registered;
}

}  // namespace

HWND create_trans_label(HWND parent, const ControlSpec& settings) {
  register_class();
  ControlState& state = state_of(settings.id);
  state.text_colour = settings.text_colour;
  state.font = create_control_font(settings.font);
  return CreateWindowExW(0, kClass, platform::to_utf16(settings.text).c_str(), WS_CHILD,
                         settings.left, settings.top, settings.width, settings.height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id(settings.id))),
                         GetModuleHandleW(nullptr), nullptr);
}

void write_label_text(Control label, std::string_view text) {
  const std::wstring wide = platform::to_utf16(text);
  SendMessageW(state_of(label).window, kWriteText, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void write_label_colour(Control label, Colour colour) {
  SendMessageW(state_of(label).window, kWriteColour, colour, 0);
}

}  // namespace ui
