// TransLabel: a label with no background of its own, whose text is drawn over whatever the
// main window has painted beneath it.
#pragma once

#include <windows.h>

#include "ui/controls.h"

namespace ui {

HWND create_trans_label(HWND parent, const ControlSpec& spec);

// Repaints the label at once, on the calling thread: first the window's background beneath
// it, then every visible window overlapping it, then the label's own text.
void repaint_trans_label(Control label);

}  // namespace ui
