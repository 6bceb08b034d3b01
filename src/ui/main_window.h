// The one window of the program.
#pragma once

using CreatedHandler = void (*)();

// Creates the main window hidden at the centred position with all its controls, raises its
// created event (on_created, when given) and shows it. Window thread only. A failure is not
// reported: the message loop then finds no window.
void load_main_window(CreatedHandler on_created);

bool main_window_open();
