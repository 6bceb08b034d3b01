#include "startup/orderly_exit.h"

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

#include "platform/exit_channel.h"
#include "platform/process.h"

namespace {

std::atomic<bool> ending{false};

// Window thread only.
std::vector<ExitRoutine>& exit_routines() {
  static auto* const routines = new std::vector<ExitRoutine>;
  return *routines;
}

void end_on_request(int exit_code) { end_program(exit_code); }

}  // namespace

void register_exit_routine(ExitRoutine routine) {
  auto& routines = exit_routines();
  if (std::find(routines.begin(), routines.end(), routine) == routines.end()) {
    routines.push_back(routine);
  }
}

void open_exit_hand_over() { platform::open_exit_channel(end_on_request); }

void end_program(int exit_code) {
  if (!platform::on_window_thread()) {
    // Once the window thread is ending, the process ends when it has finished.
    if (!ending.load() && !platform::post_exit_request(exit_code)) {
      platform::end_process(exit_code);
    }
    platform::block_forever();
  }
  ending = true;
  // Taken out before running, so that a nested call runs none of them again.
  const std::vector<ExitRoutine> routines = std::exchange(exit_routines(), {});
  for (ExitRoutine routine : routines) routine();
  // Window classes, fonts and loaded libraries go with the process.
  platform::end_process(exit_code);
}
