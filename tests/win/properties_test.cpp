// Property writes against the real main window, from this (window) thread and from a worker
// while this thread keeps handling its messages.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

#include "platform/gbk_win.h"
#include "platform/message_pump.h"
#include "platform/process.h"
#include "ui/control_state_win.h"
#include "ui/main_window.h"
#include "ui/properties.h"

namespace {

using ui::Control;

class MainWindowProperties : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    platform::remember_window_thread();
    load_main_window(nullptr);
  }
  static HWND window_of(Control control) { return ui::state_of(control).window; }
  static std::string text_of(Control control) {
    wchar_t text[256] = {};
    GetWindowTextW(window_of(control), text, 256);
    return platform::to_gbk(text);
  }
  static int bar_shows() {
    return static_cast<int>(SendMessageW(window_of(Control::进度条1), PBM_GETPOS, 0, 0));
  }
};

TEST_F(MainWindowProperties, WindowExists) { ASSERT_TRUE(main_window_open()); }

TEST_F(MainWindowProperties, PositionIsStoredWithinLimitsAndShownWithinTheRange) {
  const struct {
    int written, read_back, shown;
  } cases[] = {
      {0, 0, 0}, {976, 976, 976}, {10000, 10000, 10000}, {10500, 10500, 10000},
      {32767, 32767, 10000}, {40000, 32767, 10000}, {-5, 0, 0},
  };
  for (const auto& c : cases) {
    ui::set_position(Control::进度条1, c.written);
    EXPECT_EQ(ui::position(Control::进度条1), c.read_back) << c.written;
    EXPECT_EQ(bar_shows(), c.shown) << c.written;
  }
}

TEST_F(MainWindowProperties, CaptionReadsBackWhatWasLastWritten) {
  EXPECT_EQ(ui::caption(Control::按钮2), "开始更新");
  ui::set_caption(Control::按钮2, "启动软件");
  EXPECT_EQ(ui::caption(Control::按钮2), "启动软件");
  EXPECT_EQ(text_of(Control::按钮2), "启动软件");
  ui::set_caption(Control::按钮2, "开始更新");
}

TEST_F(MainWindowProperties, WorkerWritesWaitForTheWindowThreadAndTakeEffect) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    ui::set_text(Control::标签_下载进度, "下载进度:9.76%；剩余时间:0时0分18秒");
    ui::set_text_colour(Control::标签_下载进度, 255);
    ui::set_caption(Control::按钮2, "正在更新");
    ui::set_disabled(Control::按钮2, false);
    ui::set_position(Control::进度条1, 2469);
    done = true;
  });
  const DWORD start = GetTickCount();
  while (!done && GetTickCount() - start < 10000) {
    platform::handle_pending_events();
    Sleep(1);
  }
  worker.join();
  ASSERT_TRUE(done);
  EXPECT_EQ(text_of(Control::标签_下载进度), "下载进度:9.76%；剩余时间:0时0分18秒");
  EXPECT_EQ(ui::state_of(Control::标签_下载进度).text_colour.load(), 255u);
  EXPECT_EQ(text_of(Control::按钮2), "正在更新");
  EXPECT_TRUE(IsWindowEnabled(window_of(Control::按钮2)));
  EXPECT_EQ(bar_shows(), 2469);
  ui::set_disabled(Control::按钮2, true);
  EXPECT_FALSE(IsWindowEnabled(window_of(Control::按钮2)));
}

TEST_F(MainWindowProperties, WindowStateIsOnlyRecordedWhileHidden) {
  const HWND window = ui::main_window_handle();
  ShowWindow(window, SW_HIDE);
  ui::set_window_state(ui::WindowState::minimised);
  EXPECT_FALSE(IsIconic(window));
  EXPECT_EQ(ui::window_state(), ui::WindowState::normal);
  ShowWindow(window, SW_SHOWNORMAL);
  ui::set_window_state(ui::WindowState::minimised);
  EXPECT_EQ(ui::window_state(), ui::WindowState::minimised);
  ui::set_window_state(ui::WindowState::centred);
  EXPECT_EQ(ui::window_state(), ui::WindowState::normal);
  RECT place;
  GetWindowRect(window, &place);
  EXPECT_EQ(place.left, (GetSystemMetrics(SM_CXSCREEN) - 650) / 2);
  EXPECT_EQ(place.top, (GetSystemMetrics(SM_CYSCREEN) - 450) / 2);
}

}  // namespace

namespace {

// Columns and rows of the label that hold pixels of its text colour.
struct InkExtent {
  int first_column = -1, last_column = -1, first_row = -1, last_row = -1;
};

InkExtent ink_of(HWND label, COLORREF ink) {
  RECT box;
  GetClientRect(label, &box);
  HDC dc = GetDC(label);
  InkExtent extent;
  for (int y = 0; y < box.bottom; ++y) {
    for (int x = 0; x < box.right; ++x) {
      const COLORREF p = GetPixel(dc, x, y);
      if (abs(GetRValue(p) - GetRValue(ink)) + abs(GetGValue(p) - GetGValue(ink)) +
              abs(GetBValue(p) - GetBValue(ink)) > 30) {
        continue;
      }
      if (extent.first_column < 0 || x < extent.first_column) extent.first_column = x;
      extent.last_column = std::max(extent.last_column, x);
      if (extent.first_row < 0) extent.first_row = y;
      extent.last_row = y;
    }
  }
  ReleaseDC(label, dc);
  return extent;
}

TEST_F(MainWindowProperties, LongTextsAreCutAtTheEdgesOnOneLine) {
  const HWND window = ui::main_window_handle();
  SetForegroundWindow(window);
  std::string long_text;
  for (int i = 0; i < 4; ++i) long_text += "国下载失败，你的破网络我也是醉了国";  // 国 inks its whole cell
  for (Control label : {Control::标签_下载速度, Control::透明标签2, Control::标签_文件大小}) {
    ui::set_text(label, long_text);
    platform::handle_pending_events();
    const InkExtent ink = ink_of(window_of(label), ui::spec_of(label).text_colour);
    RECT box;
    GetClientRect(window_of(label), &box);
    ASSERT_GE(ink.first_column, 0) << "no text drawn";
    EXPECT_LE(ink.first_column, 3) << "the text runs past the left edge";
    EXPECT_GE(ink.last_column, box.right - 4) << "the text runs past the right edge";
    EXPECT_LT(ink.last_row - ink.first_row, 18) << "one line only";
    ui::set_text(label, " ");
  }
}

}  // namespace
