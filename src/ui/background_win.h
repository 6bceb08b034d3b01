// The main window's background: the picture kept in the program, decoded once at the first
// paint and reused by every later paint. Window thread only.
#pragma once

#include <windows.h>

namespace ui {

// Draws the picture stretched over `client`, then the background colour over whatever the
// picture does not cover (all of it, should the picture not decode).
void paint_background(HDC dc, const RECT& client);

}  // namespace ui
