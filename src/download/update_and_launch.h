// The main button: it downloads the new main program, swaps it in, and starts it.
#pragma once

// The click handler of 按钮2, on the window thread. Its caption tells what to do.
void on_main_button_click();

// The body of the download thread.
void download_worker();
