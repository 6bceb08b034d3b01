// The property operations through which the rest of the program shows its state in the main
// window. Any thread may write: a write is carried out on the writing thread, and the window
// messages it causes are delivered to the window thread synchronously, so a worker's write
// waits while the window thread is busy. The window thread never waits for a worker.
#pragma once

#include <string>
#include <string_view>

#include "ui/controls.h"

namespace ui {

// TransLabel: replaces the text (GBK) and repaints the label at once.
void set_text(Control label, std::string_view text);
// TransLabel: the colour of the text itself; an effect copy keeps its own colour.
void set_text_colour(Control label, Colour colour);

// SuperBtn: replaces the caption (GBK); the read gives the caption last written, without
// asking the window.
void set_caption(Control button, std::string_view caption);
std::string caption(Control button);

// Any control: a disabled control takes no mouse or keyboard input.
void set_disabled(Control control, bool disabled);

// ProcessBar: the value is limited to 0..32767 and stored; the bar shows it limited to its
// range 0..10000. The read gives the stored value.
void set_position(Control bar, int value);
int position(Control bar);

enum class WindowState { normal, centred, minimised, maximised };

// While the window is hidden the value is only recorded.
void set_window_state(WindowState state);
// Minimised while minimised, maximised while maximised, otherwise normal.
WindowState window_state();

}  // namespace ui
