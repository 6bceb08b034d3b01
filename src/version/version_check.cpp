#include "version/version_check.h"

#include "platform/process.h"
#include "startup/executable_directory.h"
#include "startup/session.h"
#include "ui/properties.h"
#include "version/handoff.h"
#include "version/manifest.h"

namespace {

using ui::Control;

constexpr ui::Colour kRed = 255;
constexpr ui::Colour kCyan = 16776960;

void show_outcome(const std::string& installed, const std::string& server) {
  if (installed != server) {
    ui::set_text_colour(Control::标签_下载进度, kRed);
    ui::set_text(Control::标签_下载进度, "新版发布，火力大增，不得不爱");
    ui::set_text(Control::透明标签2, "服务器最新版本：" + server + " 惊喜总是来得这么突然！");
  } else {
    ui::set_text_colour(Control::标签_下载进度, kCyan);
    ui::set_text(Control::标签_下载进度, "没有发现新版，无需更新！");
    ui::set_text(Control::透明标签2, "专注服务，想您所想，达您所愿！");
  }
}

}  // namespace

void start_version_check() {
  ui::set_disabled(Control::按钮2, true);
  ui::set_text(Control::标签_下载进度, "版本检测中，客官请等片刻...");
  platform::close_thread_handle(platform::start_worker(run_version_check));
}

void run_version_check() {
  const std::string address = read_handoff_value("download");
  set_session_text(&UpdateSession::manifest_text, manifest_text_of(fetch_manifest(address)));
  const std::string manifest = session_text(&UpdateSession::manifest_text);
  if (!manifest_is_valid(manifest)) {
    ui::set_text(Control::标签_下载进度, "网络文件有问题，管理员手抽筋鸟");
    return;
  }
  const std::string installed = take_handoff();
  const std::string server = server_version(manifest);
  set_session_text(&UpdateSession::download_url, download_address(manifest));
  set_session_text(&UpdateSession::run_directory, executable_directory());
  ui::set_text(Control::透明标签3, session_text(&UpdateSession::program_name) + installed + " - 在线更新");
  show_outcome(installed, server);
  ui::set_disabled(Control::按钮2, false);
}
