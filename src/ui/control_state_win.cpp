#include "ui/control_state_win.h"

#include <array>

#include "platform/gbk_win.h"

namespace ui {

namespace {
std::array<ControlState, static_cast<size_t>(Control::标签8) + 1> states;
}

ControlState& state_of(Control control) { return states[static_cast<size_t>(control)]; }

HFONT create_control_font(const FontSpec& font) {
  if (font.height == 0) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTW description{};
  description.lfHeight = -font.height;
  description.lfWeight = font.weight;
  description.lfCharSet = DEFAULT_CHARSET;
  description.lfOutPrecision = OUT_DEFAULT_PRECIS;
  description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  description.lfQuality = PROOF_QUALITY;
  description.lfPitchAndFamily = DEFAULT_PITCH;
  const std::wstring face = platform::to_utf16(font.face);
  face.copy(description.lfFaceName, LF_FACESIZE - 1);
  return CreateFontIndirectW(&description);
}

}  // namespace ui
