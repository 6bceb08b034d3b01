// The one window of the program.
#pragma once

// Creates the main window hidden at the centred position, raises its created event and shows
// it. Window thread only. A failure is not reported: the message loop then finds no window.
void load_main_window();

bool main_window_open();
