#include "ui/main_window_handlers.h"

#include <windows.h>

#include "platform/file_numbers.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "startup/orderly_exit.h"
#include "startup/session.h"
#include "ui/control_state_win.h"
#include "ui/main_window_messages_win.h"
#include "ui/properties.h"
#include "ui/web_address.h"

void on_manual_download_click() {
  const std::string address = session_text(&UpdateSession::download_url);
  if (ui::is_web_address(address)) platform::shell_open(address);
}

void on_minimise_click() { ui::set_window_state(ui::WindowState::minimised); }

void on_close_click() { PostMessageW(ui::main_window_handle(), ui::kDestroyRequest, 0, 0); }

void on_main_window_destroying() {
  UpdateSession& state = session();
  // Neither asked nor waited for: it may be anywhere, even inside a property write.
  platform::terminate_thread(state.download_thread, 0xFFFFFFFF);
  platform::close_file_number(state.download_file);
  end_program(0);
}
