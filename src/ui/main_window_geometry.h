// Size and place of the main window.
#pragma once

namespace ui {

inline constexpr int kWindowWidth = 650;
inline constexpr int kWindowHeight = 450;
inline constexpr const char* kWindowTitle = "岚汐软件更新程序";

struct WindowPlace {
  int left, top;
};

// Centred on a screen of the given size; integer division cuts toward zero, also for a screen
// smaller than the window.
constexpr WindowPlace centred_place(int screen_width, int screen_height) {
  return {(screen_width - kWindowWidth) / 2, (screen_height - kWindowHeight) / 2};
}

}  // namespace ui
