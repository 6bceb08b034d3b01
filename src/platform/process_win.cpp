#include "platform/process.h"

#include <windows.h>
#include <tlhelp32.h>

#include <atomic>

#include "platform/gbk_win.h"
#include "platform/handles_win.h"

namespace platform {

namespace {

DWORD window_thread_id = 0;
std::atomic<int> live_workers{0};

DWORD WINAPI worker_entry(void* parameter) {
  const auto body = reinterpret_cast<void (*)()>(parameter);
  try {
    body();
  } catch (...) {
    // A worker has no one to report to; the window shows what it got so far.
  }
  --live_workers;
  return 0;
}

DWORD process_with_window_titled(const std::wstring& title) {
  DWORD process = 0;
  if (HWND window = FindWindowW(nullptr, title.c_str())) GetWindowThreadProcessId(window, &process);
  return process;
}

DWORD process_with_executable(const std::wstring& name) {
  const KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return 0;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID != GetCurrentProcessId() && lstrcmpiW(entry.szExeFile, name.c_str()) == 0) {
      return entry.th32ProcessID;
    }
  }
  return 0;
}

}  // namespace

void end_process_by_name(std::string_view name) {
  if (name.empty()) return;
  const std::wstring wide = to_utf16(name);
  DWORD process = process_with_window_titled(wide);
  if (process == 0 || process == GetCurrentProcessId()) process = process_with_executable(wide);
  if (process == 0) return;
  const KernelHandle target(OpenProcess(PROCESS_TERMINATE, FALSE, process));
  if (target) TerminateProcess(target.get(), 0);
}

void start_program(std::string_view path) {
  std::wstring command_line = to_utf16(path);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    return;
  }
  WaitForInputIdle(started.hProcess, 1000);
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
}

std::string process_command_line() { return to_gbk(GetCommandLineW()); }

std::string executable_path() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return to_gbk(path);
    }
    path.resize(path.size() * 2);
  }
}

void set_current_directory(std::string_view directory) {
  SetCurrentDirectoryW(to_utf16(directory).c_str());
}

void remember_window_thread() { window_thread_id = GetCurrentThreadId(); }

bool on_window_thread() { return GetCurrentThreadId() == window_thread_id; }

void* start_worker(void (*body)()) {
  // Counted before the thread exists, on the starting thread, so that a check on the window
  // thread never misses a worker it has just started.
  ++live_workers;
  HANDLE thread = CreateThread(nullptr, 0, worker_entry, reinterpret_cast<void*>(body), 0, nullptr);
  if (!thread) --live_workers;
  return thread;
}

bool workers_may_run() { return live_workers.load() > 0; }

void close_thread_handle(void* thread) {
  if (thread) CloseHandle(thread);
}

void terminate_thread(void* thread, unsigned exit_code) {
  if (thread) TerminateThread(thread, exit_code);
}

std::uint32_t tick_count() { return GetTickCount(); }

void sleep_for(unsigned milliseconds) { Sleep(milliseconds); }

void end_process(int exit_code) { ExitProcess(static_cast<UINT>(exit_code)); }

void block_forever() {
  for (;;) Sleep(INFINITE);
}

}  // namespace platform
