// Decoding the JPEG pictures the program carries.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

struct Picture {
  int width = 0;
  int height = 0;
  // Rows top to bottom, each pixel blue, green, red, unused (the layout of a 32-bit DIB).
  std::vector<std::uint8_t> bgrx;
};

// No value when the bytes are no JPEG that decodes to three colour components.
std::optional<Picture> decode_jpeg(std::string_view bytes);
