// TransLabel: a label with no background of its own, whose text is drawn over whatever the
// main window has painted beneath it.
#pragma once

#include <windows.h>

#include <string_view>

#include "ui/controls.h"

namespace ui {

HWND create_trans_label(HWND parent, const ControlSpec& settings);

// Replace the text (GBK) or the text colour and repaint the label at once: first the window's
// background beneath it, then every visible window overlapping it, then the label's own text.
// From any thread: the whole write is one synchronous message, carried out on the window
// thread, so a worker waits for it but pays for one round trip only.
void write_label_text(Control label, std::string_view text);
void write_label_colour(Control label, Colour colour);

}  // namespace ui
