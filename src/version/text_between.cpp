#include "version/text_between.h"

#include "platform/gbk_bytes.h"

namespace {
constexpr std::string_view kQuoteStandIn = "#引号";
}

std::string text_between(std::string_view source, std::string_view start_marker,
                         std::string_view end_marker, long position, bool ignore_case) {
  const std::string start = gbk::replace_all(start_marker, kQuoteStandIn, "\"");
  const std::string end = gbk::replace_all(end_marker, kQuoteStandIn, "\"");
  const long found = gbk::find(source, start, position, ignore_case);
  if (found < 0) return {};
  const long value = found + static_cast<long>(start.size());
  const long stop = gbk::find(source, end, value, ignore_case);
  if (stop < 0) return {};
  return std::string(source.substr(static_cast<size_t>(value - 1), static_cast<size_t>(stop - value)));
}
