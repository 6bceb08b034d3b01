// The process and its threads, as the rest of the program needs them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The command line as the process received it, in GBK.
std::string process_command_line();
// The full path of the running executable, in GBK.
std::string executable_path();
void set_current_directory(std::string_view directory);

// The window thread is the process's first thread; it must call this before any other.
void remember_window_thread();
bool on_window_thread();

// Starts a worker thread running `body`. Nothing escapes the body: an exception ends the
// thread quietly. Returns the thread's handle (nullptr when it could not be started); the
// caller owns it.
void* start_worker(void (*body)());
// Whether a worker started by start_worker may still be running its body. A worker cut off
// by force counts as running for good.
bool workers_may_run();
void close_thread_handle(void* thread);
// Ends the thread at once, wherever it is; nothing happens for a thread that has ended or
// for no thread.
void terminate_thread(void* thread, unsigned exit_code);

// Ends at most one running process of that name (GBK, case ignored): the owner of a
// top-level window titled so, else the first in the system's process list whose executable
// file has that name. Never this process itself. Does not wait for it to go.
void end_process_by_name(std::string_view name);

// Starts the executable at `path` (the whole command line, no arguments) with a normal window
// and waits at most 1000 ms for it to be ready for input. A failed start shows nothing.
void start_program(std::string_view path);

// Milliseconds since the system started, wrapping at 2^32.
std::uint32_t tick_count();
void sleep_for(unsigned milliseconds);

[[noreturn]] void end_process(int exit_code);
[[noreturn]] void block_forever();

}  // namespace platform
