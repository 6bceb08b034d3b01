#include "download/progress_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ui/properties.h"

namespace {

using ui::Control;

constexpr double kKilobyte = 1024;
constexpr double kSpeedThreshold = 0.0000001;
constexpr double kBarScale = 10000;

std::string whole_text(long long value) { return std::to_string(value); }

int bar_position(double bytes_so_far, double total_length) {
  const double quotient = bytes_so_far * kBarScale / total_length;
  if (!std::isfinite(quotient)) return 0;
  // Far outside the bar's range either way; the bar limits it again.
  return static_cast<int>(std::clamp(std::trunc(quotient), -1e9, 1e9));
}

std::string remaining_time_text(double remaining) {
  // A negative time (no total, or more received than announced) shows as nothing left.
  const long long seconds = remaining > 0 ? static_cast<long long>(remaining) : 0;
  return whole_text(seconds / 3600) + "时" + whole_text(seconds / 60 % 60) + "分" +
         whole_text(seconds % 60) + "秒";
}

}  // namespace

double round_two_decimals(double x) {
  if (x == 0) return x;
  const double r = std::fabs(x) * 100 + 0.000000000001;
  const double whole = std::floor(r);
  const double k = whole + (r - whole >= 0.5 ? 1 : 0);
  return std::copysign(k / 100, x);
}

std::string number_text(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%.13g", x);
  return text;
}

void report_progress(std::int32_t total_length, std::int32_t bytes_so_far, std::int32_t elapsed_ms,
                     std::int32_t bytes_received) {
  const double total = total_length, so_far = bytes_so_far;
  ui::set_text(Control::标签_文件大小, "文件大小:" + number_text(round_two_decimals(total / kKilobyte)) + "KB/" +
                                           number_text(round_two_decimals(so_far / kKilobyte)) + "KB");
  const double speed = round_two_decimals(bytes_received * 1000.0 / kKilobyte / elapsed_ms);
  double remaining = 0;
  if (speed > kSpeedThreshold) {
    remaining = std::trunc((total - so_far) / kKilobyte / speed);
    ui::set_text(Control::标签_下载速度, "速度:" + number_text(speed) + "KB/s");
  }
  ui::set_position(Control::进度条1, bar_position(so_far, total));
  const double percentage = ui::position(Control::进度条1) / 100.0;
  ui::set_text(Control::标签_下载进度,
               "下载进度:" + number_text(percentage) + "%；剩余时间:" + remaining_time_text(remaining));
}
