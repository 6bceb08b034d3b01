// The main window's own handlers. Window thread only.
#pragma once

// ↓: opens the download address in the default browser, if it is a web address.
void on_manual_download_click();
// －: minimises the window.
void on_minimise_click();
// ×: has the window destroyed once the window thread takes the posted request.
void on_close_click();
// The window is being destroyed, whatever the cause: cuts off the download, closes its file
// and ends the program.
[[noreturn]] void on_main_window_destroying();
