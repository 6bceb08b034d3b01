// The program-wide session state: one per process. The version check fills the texts the
// download needs before it enables the main button. The ↓ button may read the download
// address at any moment, even while the check writes it, so the texts are read and written
// through a lock of their own; the lock is held only while a text is copied.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct UpdateSession {
  std::string download_url;
  std::string program_name;
  std::string run_directory;
  std::string manifest_text;
  void* download_thread = nullptr;  // written and read on the window thread only
  std::int32_t download_file = 0;   // file number; 0 for none
};

using SessionText = std::string UpdateSession::*;

std::string session_text(SessionText field);
void set_session_text(SessionText field, std::string_view text);

UpdateSession& session();

// The program's exit routine: releases the session texts, unless a worker may still read one
// of them, in which case they go with the process, which ends right after.
void release_session_texts();
