#include "ui/main_window.h"

#include <windows.h>

#include "platform/gbk_win.h"
#include "startup/orderly_exit.h"

namespace {

constexpr wchar_t kWindowClass[] = L"UpdaterMainWindow";
constexpr int kWidth = 650;
constexpr int kHeight = 450;
constexpr COLORREF kBackground = RGB(128, 160, 128);
constexpr int kIconResource = 1;

// Window thread only.
HWND main_window = nullptr;

LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) end_program(0);
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    return handle_message(window, message, wparam, lparam);
  } catch (...) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
}

bool register_window_class(HINSTANCE instance) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = window_procedure;
  window_class.hInstance = instance;
  window_class.hIcon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, 48, 48, 0));
  window_class.hIconSm = window_class.hIcon;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = CreateSolidBrush(kBackground);
  window_class.lpszClassName = kWindowClass;
  return RegisterClassExW(&window_class) != 0;
}

POINT centred_on_primary_screen() {
  // Integer division cuts toward zero, also for a screen smaller than the window.
  return {(GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2, (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2};
}

}  // namespace

void load_main_window() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!register_window_class(instance)) return;
  const POINT origin = centred_on_primary_screen();
  // A popup has no frame or title bar; the minimise capability lets the taskbar minimise it.
  main_window = CreateWindowExW(WS_EX_APPWINDOW, kWindowClass, platform::to_utf16("岚汐软件更新程序").c_str(),
                                WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, origin.x,
                                origin.y, kWidth, kHeight, nullptr, nullptr, instance, nullptr);
  if (!main_window) return;
  ShowWindow(main_window, SW_SHOWNORMAL);
}

bool main_window_open() { return main_window && IsWindow(main_window); }
