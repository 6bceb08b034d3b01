#include "download/progress_report.h"

#include <gtest/gtest.h>

#include "recorded_properties.h"

namespace {

using recorded::Write;
using ui::Control;

TEST(RoundTwoDecimals, HalvesGoAwayFromZero) {
  const struct {
    double x, rounded;
  } cases[] = {
      {0, 0},           {1.005, 1.01},   {0.125, 0.13},  {0.005, 0.01}, {0.004, 0},
      {-1.005, -1.01},  {120.5625, 120.56}, {12.5, 12.5}, {2.675, 2.68}, {1205.6318359375, 1205.63},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(round_two_decimals(c.x), c.rounded) << c.x;
}

TEST(NumberText, ShortestFormUpTo13Digits) {
  const struct {
    double x;
    const char* text;
  } cases[] = {
      {120.56, "120.56"}, {12.5, "12.5"}, {3, "3"}, {100, "100"}, {0, "0"},
      {4882.81, "4882.81"}, {716800, "716800"}, {0.01, "0.01"}, {2097152, "2097152"},
  };
  for (const auto& c : cases) EXPECT_EQ(number_text(c.x), c.text) << c.x;
}

struct Example {
  std::int32_t total, so_far, elapsed, received;
  std::vector<Write> writes;
};

class ReportProgress : public testing::TestWithParam<Example> {};

TEST_P(ReportProgress, WritesTheControlsInOrder) {
  recorded::reset();
  const Example& e = GetParam();
  report_progress(e.total, e.so_far, e.elapsed, e.received);
  EXPECT_EQ(recorded::writes(), e.writes);
}

std::vector<Write> shown(const char* size, const char* speed, const char* position, const char* progress) {
  std::vector<Write> writes = {{Control::标签_文件大小, "text", size}};
  if (*speed) writes.push_back({Control::标签_下载速度, "text", speed});
  writes.push_back({Control::进度条1, "position", position});
  writes.push_back({Control::标签_下载进度, "text", progress});
  return writes;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ReportProgress,
    testing::Values(
        Example{1048576, 102400, 2000, 102400,
                shown("文件大小:1024KB/100KB", "速度:50KB/s", "976", "下载进度:9.76%；剩余时间:0时0分18秒")},
        Example{5000000, 1234567, 3456, 1234567,
                shown("文件大小:4882.81KB/1205.63KB", "速度:348.85KB/s", "2469",
                      "下载进度:24.69%；剩余时间:0时0分10秒")},
        Example{734003200, 10240, 1000, 10240,
                shown("文件大小:716800KB/10KB", "速度:10KB/s", "0", "下载进度:0%；剩余时间:19时54分39秒")},
        // Complete.
        Example{20480, 20480, 100, 20480,
                shown("文件大小:20KB/20KB", "速度:200KB/s", "10000", "下载进度:100%；剩余时间:0时0分0秒")},
        // No Content-Length: the bar stays empty, and no time can be told.
        Example{0, 10240, 1000, 10240,
                shown("文件大小:0KB/10KB", "速度:10KB/s", "0", "下载进度:0%；剩余时间:0时0分0秒")},
        // Below 0.005 KB/s the speed label keeps its text.
        Example{1048576, 4, 1000, 4,
                shown("文件大小:1024KB/0KB", "", "0", "下载进度:0%；剩余时间:0时0分0秒")},
        // Remaining 3599, 3600 and 90000 seconds at 1 KB/s.
        Example{3599 * 1024 + 1024, 1024, 1000, 1024,
                shown("文件大小:3600KB/1KB", "速度:1KB/s", "2", "下载进度:0.02%；剩余时间:0时59分59秒")},
        Example{3600 * 1024 + 1024, 1024, 1000, 1024,
                shown("文件大小:3601KB/1KB", "速度:1KB/s", "2", "下载进度:0.02%；剩余时间:1时0分0秒")},
        Example{90000 * 1024 + 1024, 1024, 1000, 1024,
                shown("文件大小:90001KB/1KB", "速度:1KB/s", "0", "下载进度:0%；剩余时间:25时0分0秒")},
        // More received than announced (resume): the position goes beyond the bar.
        Example{10240, 20480, 1000, 10240,
                shown("文件大小:10KB/20KB", "速度:10KB/s", "20000", "下载进度:200%；剩余时间:0时0分0秒")}));

}  // namespace
