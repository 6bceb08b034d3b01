// A stand-in for the main window's property operations that records every write, so that
// the logic writing them can be tested without a window.
#pragma once

#include <string>
#include <vector>

#include "ui/properties.h"

namespace recorded {

struct Write {
  ui::Control control;
  std::string property;  // "text", "text_colour", "caption", "disabled", "position"
  std::string value;
  bool operator==(const Write&) const = default;
};

std::vector<Write>& writes();
void reset();

}  // namespace recorded
