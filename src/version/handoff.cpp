#include "version/handoff.h"

#include "platform/files.h"
#include "startup/executable_directory.h"
#include "startup/orderly_exit.h"
#include "startup/session.h"
#include "ui/properties.h"
#include "version/profile_text.h"

namespace {
// Far beyond any real hand-off; what lies past it is not read.
constexpr std::size_t kHandoffFileLimit = 4 << 20;
}

std::string handoff_path() { return executable_directory() + "\\gx.ini"; }

std::string read_handoff_value(std::string_view key) {
  const std::string text = platform::read_file(handoff_path(), kHandoffFileLimit).value_or("");
  return profile_value(text, "配置", key);
}

std::string take_handoff() {
  std::string installed = read_handoff_value("版本");
  set_session_text(&UpdateSession::program_name, read_handoff_value("文件名"));
  const std::string go_ahead = read_handoff_value("id");
  platform::delete_file(handoff_path());
  if (session_text(&UpdateSession::program_name).empty()) {
    ui::set_text(ui::Control::标签_下载进度, "大明湖畔出生的孩子就是调皮");
  }
  if (installed.empty()) ui::set_text(ui::Control::标签_下载进度, "玩火自焚，你准备好了吗？");
  if (go_ahead != "1") end_program(0);
  return installed;
}
