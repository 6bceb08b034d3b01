// SuperBtn: the window's push buttons.
#pragma once

#include <windows.h>

#include "ui/controls.h"

namespace ui {

HWND create_super_button(HWND parent, const ControlSpec& settings);

// Draws a button's face, for the parent's WM_DRAWITEM: the colours of its state (pressed or
// hovered, else focused, else normal), the caption centred and wrapped at word breaks, 1 pixel
// right and down while pressed, embossed while disabled. No border, no focus rectangle.
void draw_super_button(const DRAWITEMSTRUCT& item);

}  // namespace ui
