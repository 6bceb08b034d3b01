// end_program under real threads: each scenario runs in a child process (this same program
// with --child), since a passing scenario ends its process.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/exit_channel.h"
#include "platform/message_pump.h"
#include "platform/process.h"
#include "startup/launch_token.h"
#include "startup/orderly_exit.h"

namespace {

std::string log_path;
HANDLE go = nullptr;

void log_line(const std::string& line) {
  std::ofstream(log_path, std::ios::app) << line << '\n';
}

void logging_exit_routine() {
  log_line(platform::on_window_thread() ? "routine on window thread" : "routine on worker");
}

void nesting_exit_routine() {
  log_line("nesting routine");
  end_program(0);
}

// Keeps the window thread decoding, and so handling its messages after every group, for far
// longer than any scenario needs.
[[noreturn]] void decode_until_ended() {
  const std::string long_body(40000, 'A');
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 15000) decode_launch_token(long_body, platform::handle_pending_events);
  log_line("decode ran out");
  ExitProcess(3);
}

void worker_ends_program() {
  Sleep(200);
  end_program(0);
  log_line("worker got control back");
}

void worker_ends_on_signal() {
  WaitForSingleObject(go, INFINITE);
  end_program(0);
  log_line("worker got control back");
}

void start_workers(void (*body)(), int count) {
  for (int i = 0; i < count; ++i) platform::close_thread_handle(platform::start_worker(body));
}

int run_child(const std::string& scenario) {
  platform::remember_window_thread();
  register_exit_routine(logging_exit_routine);
  register_exit_routine(logging_exit_routine);
  if (scenario == "no-channel") {
    start_workers(worker_ends_program, 1);
    Sleep(5000);
    return 4;
  }
  open_exit_hand_over();
  if (scenario == "worker-during-decode") {
    start_workers(worker_ends_program, 1);
    decode_until_ended();
  }
  if (scenario == "calls-that-meet") {
    go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    start_workers(worker_ends_on_signal, 3);
    Sleep(100);
    SetEvent(go);
    end_program(0);
  }
  if (scenario == "nested") {
    register_exit_routine(nesting_exit_routine);
    end_program(0);
  }
  return 5;
}

struct ChildResult {
  DWORD exit_code;
  std::string log;
};

ChildResult run_scenario(const std::string& scenario) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::string log = "orderly_exit_" + scenario + ".log";
  std::remove(log.c_str());
  std::wstring command = L"\"" + std::wstring(self) + L"\" --child " +
                         std::wstring(scenario.begin(), scenario.end()) + L" " +
                         std::wstring(log.begin(), log.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  EXPECT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process)) << GetLastError();
  EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
  DWORD code = 0xDEAD;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::stringstream text;
  text << std::ifstream(log).rdbuf();
  return {code, text.str()};
}

struct Scenario {
  const char* name;
  const char* log;  // what the exit routines wrote, in order
};

class OrderlyExit : public testing::TestWithParam<Scenario> {};

// Every scenario ends its process with code 0; the log shows which routines ran, and where.
TEST_P(OrderlyExit, EndsTheProcessOnceWithCodeZero) {
  const ChildResult result = run_scenario(GetParam().name);
  EXPECT_EQ(result.exit_code, 0u);
  EXPECT_EQ(result.log, GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, OrderlyExit,
    testing::Values(
        // A worker's request is handled while the window thread decodes a token.
        Scenario{"worker-during-decode", "routine on window thread\n"},
        // Three workers and the window thread call at once.
        Scenario{"calls-that-meet", "routine on window thread\n"},
        // An exit routine that calls end_program itself runs no routine again.
        Scenario{"nested", "routine on window thread\nnesting routine\n"},
        // Without the hand-over channel a worker ends the process at once, running nothing.
        Scenario{"no-channel", ""}),
    [](const auto& info) {
      std::string name = info.param.name;
      for (char& c : name) {
        if (c == '-') c = '_';
      }
      return name;
    });

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 4 && std::string(argv[1]) == "--child") {
      log_path = argv[3];
      return run_child(argv[2]);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
  } catch (...) {
    return 6;
  }
}
