// Label: an ordinary text label.
#pragma once

#include <windows.h>

#include "ui/controls.h"

namespace ui {

HWND create_plain_label(HWND parent, const ControlSpec& settings);

}  // namespace ui
