#include "platform/exit_channel.h"

#include <windows.h>

#include <atomic>

namespace platform {

namespace {

constexpr UINT kExitRequest = WM_APP + 1;
constexpr wchar_t kChannelClass[] = L"UpdaterExitChannel";

std::atomic<HWND> channel{nullptr};
ExitRequestHandler request_handler = nullptr;

LRESULT CALLBACK channel_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kExitRequest) {
    try {
      request_handler(static_cast<int>(wparam));
    } catch (...) {
      ExitProcess(static_cast<UINT>(wparam));
    }
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

bool open_exit_channel(ExitRequestHandler handler) {
  request_handler = handler;
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = channel_procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = kChannelClass;
  RegisterClassW(&window_class);
  channel = CreateWindowExW(0, kChannelClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            window_class.hInstance, nullptr);
  return channel.load() != nullptr;
}

bool post_exit_request(int exit_code) {
  const HWND target = channel.load();
  return target && PostMessageW(target, kExitRequest, static_cast<WPARAM>(exit_code), 0);
}

}  // namespace platform
