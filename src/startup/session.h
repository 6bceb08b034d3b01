// The program-wide session state: one per process, written and read without locks. The
// version check fills the texts the download needs before it enables the main button, and
// they are read only after that.
#pragma once

#include <cstdint>
#include <string>

struct UpdateSession {
  std::string download_url;
  std::string program_name;
  std::string run_directory;
  std::string manifest_text;
  void* download_thread = nullptr;  // owned by the main window's destroy handler
  std::int32_t download_file = 0;   // file number; 0 for none
};

UpdateSession& session();

// The program's exit routine: releases the session texts, unless a worker may still read one
// of them, in which case they go with the process, which ends right after.
void release_session_texts();
