#include "startup/session.h"

#include <mutex>

#include "platform/process.h"

namespace {
std::mutex text_lock;
}

UpdateSession& session() {
  // Never destroyed: worker threads may still read it while the process ends.
  static UpdateSession* const state = new UpdateSession;
  return *state;
}

std::string session_text(SessionText field) {
  std::lock_guard hold(text_lock);
  return session().*field;
}

void set_session_text(SessionText field, std::string_view text) {
  std::lock_guard hold(text_lock);
  session().*field = text;
}

void release_session_texts() {
  if (platform::workers_may_run()) return;
  std::lock_guard hold(text_lock);
  UpdateSession& state = session();
  for (SessionText field : {&UpdateSession::download_url, &UpdateSession::program_name,
                            &UpdateSession::run_directory, &UpdateSession::manifest_text}) {
    if (!(state.*field).empty()) std::string().swap(state.*field);
  }
}
