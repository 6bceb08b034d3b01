#include "startup/session.h"

#include "platform/process.h"

UpdateSession& session() {
  // Never destroyed: worker threads may still read it while the process ends.
  static UpdateSession* const state = new UpdateSession;
  return *state;
}

void release_session_texts() {
  if (platform::workers_may_run()) return;
  UpdateSession& state = session();
  for (std::string* text : {&state.download_url, &state.program_name, &state.run_directory,
                            &state.manifest_text}) {
    if (!text->empty()) std::string().swap(*text);
  }
}
