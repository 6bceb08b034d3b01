#include "download/update_and_launch.h"

#include "download/http_download.h"
#include "download/progress_report.h"
#include "platform/files.h"
#include "platform/message_pump.h"
#include "platform/process.h"
#include "startup/orderly_exit.h"
#include "startup/session.h"
#include "ui/properties.h"

namespace {

using ui::Control;

constexpr const char* kReadyToUpdate = "开始更新";
constexpr const char* kUpdating = "正在更新";
constexpr const char* kReadyToStart = "启动软件";
constexpr ui::Colour kOrange = 33023;
constexpr ui::Colour kRed = 255;
constexpr ui::Colour kCyan = 0xFFFF00;
constexpr unsigned kLaunchWaitMs = 1000;
// The main program ended at the click may still be going away when the download is done.
constexpr unsigned kReplaceTryMs = 3000;
constexpr unsigned kReplaceRetryMs = 100;

std::string program_path(const char* extension) {
  return session_text(&UpdateSession::run_directory) + "\\" + session_text(&UpdateSession::program_name) +
         extension;
}

bool replace_main_program() {
  const std::string tmp_path = program_path(".tmp"), exe_path = program_path(".exe");
  const std::uint32_t start = platform::tick_count();
  while (!platform::replace_file(tmp_path, exe_path)) {
    if (platform::tick_count() - start >= kReplaceTryMs) return false;
    platform::sleep_for(kReplaceRetryMs);
  }
  return true;
}

void show_failure(const char* speed_text, const char* progress_text) {
  ui::set_position(Control::进度条1, 0);
  ui::set_caption(Control::按钮2, kReadyToUpdate);
  if (speed_text) ui::set_text(Control::标签_下载速度, speed_text);
  if (progress_text) ui::set_text(Control::标签_下载进度, progress_text);
  ui::set_text_colour(Control::标签_下载进度, kRed);
}

void show_success() {
  ui::set_position(Control::进度条1, 10000);
  ui::set_text(Control::标签_下载进度, "下载完成，尽情使用吧！");
  ui::set_text(Control::透明标签2, "亲真是一个目光长远，懂坚持，有干劲的人士，将来必成大器，事业蒸蒸日上，辉煌鹏达");
  ui::set_caption(Control::按钮2, kReadyToStart);
  ui::set_disabled(Control::按钮2, false);
  ui::set_text_colour(Control::标签_下载进度, kCyan);
}

void start_update() {
  ui::set_text_colour(Control::标签_下载进度, kOrange);
  ui::set_caption(Control::按钮2, kUpdating);
  ui::set_disabled(Control::按钮2, true);
  session().download_thread = platform::start_worker(download_worker);
}

}  // namespace

void on_main_button_click() {
  platform::end_process_by_name(session_text(&UpdateSession::program_name) + ".exe");
  const std::string caption = ui::caption(Control::按钮2);
  if (caption == kReadyToUpdate) {
    start_update();
  } else if (caption == kReadyToStart) {
    platform::start_program(program_path(".exe"));
    platform::wait_processing_events(kLaunchWaitMs);
    end_program(0);
  }
}

void download_worker() {
  const std::int32_t result = http_download(session_text(&UpdateSession::download_url), program_path(".tmp"),
                                            report_progress, 0, 0);
  if (result != 0) {
    show_failure("下载失败，你的破网络我也是醉了", nullptr);
  } else if (!replace_main_program()) {
    // The old program stays untouched and the download stays beside it as .tmp.
    show_failure(nullptr, "主程序正在使用中，无法替换，请先关闭主程序再更新");
  } else {
    show_success();
  }
}
