// SuperBtn: the window's push buttons.
#pragma once

#include <windows.h>

#include "ui/controls.h"

namespace ui {

HWND create_super_button(HWND parent, const ControlSpec& spec);

}  // namespace ui
