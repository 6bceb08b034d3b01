// Test-only driver for the download: runs http_download on a worker thread, as the updater's
// download thread does, with a progress callback chosen on the command line.
//
//   download_driver download URL LOCAL_PATH OFFSET RESUME [--log PATH] [--window] [--stay]
//     --log     appends "total so_far elapsed received" to PATH after every block
//     --window  report_progress writes to the real main window, which this (main) thread
//               loads and keeps handling; --stay keeps it open after the download until it
//               is closed (the window's destroy handler then ends the process with 0)
//     Prints "result R", "elapsed_ms T" (the http_download call itself) and "local_file"
//     free | held | absent (whether nothing holds the local file open after the call).
//   download_driver write-cost COUNT
//     Loads the window and times COUNT of each property write of the progress report from a
//     worker thread; prints "NAME milliseconds-per-call".
// Exits with 0 whatever the download's result; 2 for a usage error.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "download/http_download.h"
#include "download/progress_report.h"
#include "platform/gbk_win.h"
#include "platform/message_pump.h"
#include "platform/process.h"
#include "ui/main_window.h"
#include "ui/properties.h"

namespace {

using ui::Control;

struct UsageError {
  std::string message;
};

struct Download {
  std::string url;
  std::string local_path;
  std::int32_t offset = 0;
  std::int32_t resume = 0;
  ProgressCallback callback = nullptr;
  std::int32_t result = 0;
  double elapsed_ms = 0;
};

// Written by the main thread before the worker starts, read by the main thread after it ended.
Download download;
std::FILE* progress_log = nullptr;
int write_cost_count = 0;

void print(const std::string& line) {
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

double now_ms() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void log_progress(std::int32_t total, std::int32_t so_far, std::int32_t elapsed, std::int32_t received) {
  std::fprintf(progress_log, "%d %d %d %d\n", total, so_far, elapsed, received);
}

void ignore_progress(std::int32_t, std::int32_t, std::int32_t, std::int32_t) {}

void report_and_log_progress(std::int32_t total, std::int32_t so_far, std::int32_t elapsed, std::int32_t received) {
  log_progress(total, so_far, elapsed, received);
  report_progress(total, so_far, elapsed, received);
}

ProgressCallback callback_for(bool logged, bool window) {
  if (logged && window) return report_and_log_progress;
  if (logged) return log_progress;
  if (window) return report_progress;
  return ignore_progress;
}

void run_download() {
  const double start = now_ms();
  download.result = http_download(download.url, download.local_path, download.callback, download.offset,
                                  download.resume);
  download.elapsed_ms = now_ms() - start;
}

// Whether anything still holds the file open: an open without sharing fails while it does.
const char* local_file_state(const std::string& path) {
  HANDLE file = CreateFileW(platform::to_utf16(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return "free";
  }
  return GetLastError() == ERROR_SHARING_VIOLATION ? "held" : "absent";
}

// Handles the window thread's messages until the worker has ended.
void wait_handling_messages(HANDLE worker) {
  while (MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    platform::handle_pending_events();
  }
}

void run_worker(void (*body)(), bool window) {
  HANDLE worker = static_cast<HANDLE>(platform::start_worker(body));
  if (!worker) throw UsageError{"CreateThread failed, error " + std::to_string(GetLastError())};
  if (window) {
    wait_handling_messages(worker);
  } else {
    WaitForSingleObject(worker, INFINITE);
  }
  platform::close_thread_handle(worker);
}

std::int32_t number_argument(const wchar_t* text) {
  wchar_t* end = nullptr;
  const long value = std::wcstol(text, &end, 10);
  if (*text == L'\0' || *end != L'\0') throw UsageError{"not a number: " + platform::to_gbk(text)};
  return static_cast<std::int32_t>(value);
}

int command_download(const std::vector<std::wstring>& args) {
  if (args.size() < 6) throw UsageError{"download needs URL LOCAL_PATH OFFSET RESUME"};
  download.url = platform::to_gbk(args[2]);
  download.local_path = platform::to_gbk(args[3]);
  download.offset = number_argument(args[4].c_str());
  download.resume = number_argument(args[5].c_str());
  bool window = false, stay = false;
  std::wstring log_path;
  for (size_t i = 6; i < args.size(); ++i) {
    if (args[i] == L"--window") {
      window = true;
    } else if (args[i] == L"--stay") {
      stay = true;
    } else if (args[i] == L"--log" && i + 1 < args.size()) {
      log_path = args[++i];
    } else {
      throw UsageError{"unknown option " + platform::to_gbk(args[i])};
    }
  }
  if (!log_path.empty()) {
    progress_log = _wfopen(log_path.c_str(), L"ab");
    if (!progress_log) throw UsageError{"cannot open the log " + platform::to_gbk(log_path)};
  }
  download.callback = callback_for(progress_log != nullptr, window);
  if (window) load_main_window(nullptr);
  run_worker(run_download, window);
  if (progress_log) std::fclose(progress_log);
  print("result " + std::to_string(download.result));
  print("elapsed_ms " + std::to_string(download.elapsed_ms));
  print(std::string("local_file ") + local_file_state(download.local_path));
  if (window && stay) platform::run_message_loop();
  return 0;
}

void time_calls(const char* name, void (*call)(int)) {
  const double start = now_ms();
  for (int i = 0; i < write_cost_count; ++i) call(i);
  print(std::string(name) + " " + std::to_string((now_ms() - start) / write_cost_count));
}

// Texts of the length the progress report writes, different on every call.
void write_costs() {
  time_calls("set_text_size", [](int i) {
    ui::set_text(Control::标签_文件大小, "文件大小:204800KB/" + std::to_string(i * 10) + "KB");
  });
  time_calls("set_text_speed", [](int i) {
    ui::set_text(Control::标签_下载速度, "速度:" + std::to_string(100000 + i) + ".25KB/s");
  });
  time_calls("set_text_progress", [](int i) {
    ui::set_text(Control::标签_下载进度, "下载进度:" + std::to_string(i % 100) + ".5%；剩余时间:0时0分" +
                                             std::to_string(i % 60) + "秒");
  });
  time_calls("set_position", [](int i) { ui::set_position(Control::进度条1, i % 10000); });
  time_calls("position_read", [](int) { (void)ui::position(Control::进度条1); });
  time_calls("report_progress", [](int i) {
    report_progress(209715200, (i + 1) * 10240, 100 + i, (i + 1) * 10240);
  });
}

int command_write_cost(const std::vector<std::wstring>& args) {
  if (args.size() != 3) throw UsageError{"write-cost needs COUNT"};
  write_cost_count = number_argument(args[2].c_str());
  if (write_cost_count < 1) throw UsageError{"COUNT must be positive"};
  load_main_window(nullptr);
  run_worker(write_costs, true);
  return 0;
}

int run(const std::vector<std::wstring>& args) {
  platform::remember_window_thread();
  if (args.size() >= 2 && args[1] == L"download") return command_download(args);
  if (args.size() >= 2 && args[1] == L"write-cost") return command_write_cost(args);
  throw UsageError{"unknown command"};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    return run(std::vector<std::wstring>(argv, argv + argc));
  } catch (const UsageError& error) {
    std::fprintf(stderr, "download_driver: %s\n", error.message.c_str());
    return 2;
  } catch (...) {
    std::fprintf(stderr, "download_driver: unexpected failure\n");
    return 2;
  }
}
