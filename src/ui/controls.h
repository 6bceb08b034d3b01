// The controls of the main window, in the order in which they are created, and their settings
// at creation. Other parts of the program address a control by its name.
#pragma once

#include <cstdint>
#include <span>

namespace ui {

enum class Control {
  超级按钮3,
  超级按钮2,
  超级按钮1,
  透明标签3,
  透明标签2,
  标签_下载进度,
  标签_文件大小,
  标签_下载速度,
  按钮2,
  进度条1,
  标签8,
};

enum class Kind { SuperBtn, TransLabel, ProcessBar, Label };

enum class Alignment { left, centred, right };

// The copy of a label's text drawn before the text itself.
enum class Effect { none, white_shadow, white_highlight, black_shadow };

// A font description; a height of 0 means the system's default GUI font.
struct FontSpec {
  int height = 0;  // character height in pixels
  int weight = 400;
  const char* face = "";
};

using Colour = std::uint32_t;  // COLORREF, 0x00BBGGRR

struct ControlSpec {
  Control id;
  Kind kind;
  int left, top, width, height;
  bool visible;
  bool enabled;
  bool tab_stop;
  const char* text;  // GBK
  FontSpec font;
  Colour text_colour;
  Alignment alignment;
  Effect effect;
  const char* tooltip;  // GBK; empty for none
};

std::span<const ControlSpec> control_table();
const ControlSpec& spec_of(Control control);

inline constexpr int kControlIdBase = 1000;
inline int control_id(Control control) { return kControlIdBase + static_cast<int>(control); }

}  // namespace ui
