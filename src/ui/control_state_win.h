// What the window code keeps of each control. The window handles are written by the window
// thread while it loads the window, before any worker exists; the other fields are written by
// any thread through the property operations.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

#include "ui/controls.h"

namespace ui {

struct ControlState {
  HWND window = nullptr;
  HFONT font = nullptr;
  bool hovering = false;  // SuperBtn; window thread only
  std::atomic<COLORREF> text_colour{0};
  std::atomic<int> position{0};
  // Guards only the copy of the caption, never a window call: a worker holding it could be
  // force-ended while the window thread still reads captions.
  std::mutex caption_lock;
  std::string caption;
};

ControlState& state_of(Control control);
HWND main_window_handle();

// The font of a control's description, created with the default character set, precisions
// and pitch and proof quality; the system's default GUI font for a height of 0.
HFONT create_control_font(const FontSpec& font);

}  // namespace ui
