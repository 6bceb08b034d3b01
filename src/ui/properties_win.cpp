#include "ui/properties.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>

#include "platform/gbk_win.h"
#include "ui/control_state_win.h"
#include "ui/main_window_geometry.h"
#include "ui/process_bar_win.h"
#include "ui/trans_label_win.h"

namespace ui {

namespace {

constexpr int kStoredPositionMaximum = 32767;

// The state recorded while the window is hidden.
std::atomic<WindowState> recorded_state{WindowState::normal};

void fill_work_area(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  SetWindowPos(window, nullptr, area.left, area.top, area.right - area.left,
               area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void move_to_centre(HWND window) {
  if (IsIconic(window) || IsZoomed(window)) ShowWindow(window, SW_RESTORE);
  const WindowPlace place = centred_place(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  SetWindowPos(window, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void set_text(Control label, std::string_view text) { write_label_text(label, text); }

void set_text_colour(Control label, Colour colour) { write_label_colour(label, colour); }

void set_caption(Control button, std::string_view caption) {
  ControlState& state = state_of(button);
  {
    std::lock_guard hold(state.caption_lock);
    state.caption = caption;
  }
  SetWindowTextW(state.window, platform::to_utf16(caption).c_str());
  InvalidateRect(state.window, nullptr, TRUE);
}

std::string caption(Control button) {
  ControlState& state = state_of(button);
  std::lock_guard hold(state.caption_lock);
  return state.caption;
}

void set_disabled(Control control, bool disabled) { EnableWindow(state_of(control).window, !disabled); }

void set_position(Control bar, int value) {
  ControlState& state = state_of(bar);
  const int stored = std::clamp(value, 0, kStoredPositionMaximum);
  state.position = stored;
  SendMessageW(state.window, PBM_SETPOS, static_cast<WPARAM>(std::min(stored, kBarMaximum)), 0);
}

int position(Control bar) { return state_of(bar).position.load(); }

void set_window_state(WindowState state) {
  const HWND window = main_window_handle();
  recorded_state = state;
  if (!window || !IsWindowVisible(window)) return;
  switch (state) {
    case WindowState::normal: ShowWindow(window, SW_SHOWNORMAL); break;
    case WindowState::centred: move_to_centre(window); break;
    case WindowState::minimised: ShowWindow(window, SW_MINIMIZE); break;
    case WindowState::maximised:
      ShowWindow(window, SW_MAXIMIZE);
      fill_work_area(window);
      break;
  }
}

WindowState window_state() {
  const HWND window = main_window_handle();
  if (window && IsIconic(window)) return WindowState::minimised;
  if (window && IsZoomed(window)) return WindowState::maximised;
  return WindowState::normal;
}

}  // namespace ui
