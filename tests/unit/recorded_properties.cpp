#include "recorded_properties.h"

#include <algorithm>
#include <map>

namespace recorded {

namespace {
std::map<ui::Control, int> positions;
std::map<ui::Control, std::string> captions;
ui::WindowState state = ui::WindowState::normal;

void record(ui::Control control, const char* property, std::string value) {
  writes().push_back({control, property, std::move(value)});
}
}  // namespace

std::vector<Write>& writes() {
  static std::vector<Write> all;
  return all;
}

void reset() {
  writes().clear();
  positions.clear();
  captions.clear();
}

}  // namespace recorded

namespace ui {

using recorded::record;

void set_text(Control label, std::string_view text) { record(label, "text", std::string(text)); }
void set_text_colour(Control label, Colour colour) { record(label, "text_colour", std::to_string(colour)); }
void set_caption(Control button, std::string_view caption) {
  recorded::captions[button] = caption;
  record(button, "caption", std::string(caption));
}
std::string caption(Control button) {
  const auto found = recorded::captions.find(button);
  return found == recorded::captions.end() ? spec_of(button).text : found->second;
}
void set_disabled(Control control, bool disabled) { record(control, "disabled", disabled ? "true" : "false"); }
void set_position(Control bar, int value) {
  recorded::positions[bar] = std::clamp(value, 0, 32767);
  record(bar, "position", std::to_string(value));
}
int position(Control bar) { return recorded::positions[bar]; }
void set_window_state(WindowState state) { recorded::state = state; }
WindowState window_state() { return recorded::state; }

}  // namespace ui
