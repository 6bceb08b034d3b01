// The start sequence, on the process's first thread, which becomes the window thread.
#include <windows.h>

#include "platform/message_pump.h"
#include "platform/process.h"
#include "startup/executable_directory.h"
#include "startup/orderly_exit.h"
#include "startup/session.h"
#include "startup/start_routine.h"
#include "ui/main_window.h"

namespace {

// Every orderly end happens inside end_program, called from a handler or a worker; the loop
// itself ends only if something posts a quit message.
void run_message_loop() {
  if (!main_window_open()) end_program(0);
  platform::run_message_loop();
  end_program(0);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    platform::remember_window_thread();
    determine_executable_directory();
    platform::set_current_directory(executable_directory());
    register_exit_routine(release_session_texts);
    start_routine();
    run_message_loop();
  } catch (...) {
    // Out of memory at start-up; there is nothing to show it in.
  }
  end_program(1);
}
