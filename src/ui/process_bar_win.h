// ProcessBar: the platform's progress bar, range 0..10000. A press on it moves the window.
#pragma once

#include <windows.h>

#include "ui/controls.h"

namespace ui {

inline constexpr int kBarMaximum = 10000;

HWND create_process_bar(HWND parent, const ControlSpec& settings);

// Starts the platform's move of the window, as a press on a title bar would.
void begin_window_move(HWND window);

}  // namespace ui
