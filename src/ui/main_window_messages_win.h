#pragma once

#include <windows.h>

namespace ui {

// Posted by × so that the window is destroyed only when the window thread takes it.
inline constexpr UINT kDestroyRequest = WM_APP + 10;

}  // namespace ui
