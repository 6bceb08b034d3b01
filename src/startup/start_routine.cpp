#include "startup/start_routine.h"

#include "platform/message_pump.h"
#include "platform/process.h"
#include "startup/command_line.h"
#include "startup/key_material.h"
#include "startup/launch_token.h"
#include "startup/orderly_exit.h"
#include "ui/main_window.h"
#include "version/version_check.h"

int start_routine() {
  const std::vector<std::string> arguments = split_command_line(platform::process_command_line());
  if (arguments.size() != 1) end_program(0);  // before any window exists
  open_exit_hand_over();
  // The window's created event starts the version check, which therefore already runs while
  // the tokens are decoded; both decodes keep handling the window's messages.
  load_main_window(start_version_check);
  const std::string expected = decode_launch_token(expected_token, platform::handle_pending_events);
  const std::string given = decode_launch_token(arguments[0], platform::handle_pending_events);
  if (expected != given) end_program(0);
  return 0;
}
