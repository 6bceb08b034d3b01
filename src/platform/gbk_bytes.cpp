#include "platform/gbk_bytes.h"

namespace gbk {

std::string fold_full_width(std::string_view text) {
  std::string folded;
  folded.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (!starts_double_byte(lead) || i + 1 == text.size()) {
      folded += text[i];
      continue;
    }
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      folded += static_cast<char>(trail - 0x80);
    } else if (lead == 0xA1 && trail == 0xA1) {
      folded += ' ';
    } else {
      folded.append(text.substr(i, 2));
    }
    ++i;
  }
  return folded;
}

}  // namespace gbk
