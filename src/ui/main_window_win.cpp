#include "ui/main_window.h"

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "download/update_and_launch.h"
#include "platform/gbk_win.h"
#include "platform/message_pump.h"
#include "ui/background_win.h"
#include "ui/control_state_win.h"
#include "ui/main_window_geometry.h"
#include "ui/main_window_handlers.h"
#include "ui/main_window_messages_win.h"
#include "ui/plain_label_win.h"
#include "ui/process_bar_win.h"
#include "ui/super_button_win.h"
#include "ui/trans_label_win.h"

namespace ui {

namespace {

constexpr wchar_t kWindowClass[] = L"UpdaterMainWindow";
constexpr int kIconResource = 1;

// Window thread only; the handle is written once, before any worker exists.
HWND main_window = nullptr;

void on_button_clicked(Control button) {
  switch (button) {
    case Control::超级按钮3: on_manual_download_click(); break;
    case Control::超级按钮2: on_minimise_click(); break;
    case Control::超级按钮1: on_close_click(); break;
    case Control::按钮2: on_main_button_click(); break;
    default: break;
  }
}

LRESULT handle_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      // A quick second click on a self-drawn button arrives as a double click.
      if (HIWORD(wparam) == BN_CLICKED || HIWORD(wparam) == BN_DOUBLECLICKED) {
        on_button_clicked(static_cast<Control>(LOWORD(wparam) - kControlIdBase));
      }
      return 0;
    case WM_DRAWITEM:
      draw_super_button(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(window, &client);
      paint_background(reinterpret_cast<HDC>(wparam), client);
      return 1;
    }
    case WM_LBUTTONDOWN:
      // A press on a disabled control reaches the window too; only the background moves it.
      if (ChildWindowFromPointEx(window, POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)},
                                 CWP_SKIPINVISIBLE) == window) {
        begin_window_move(window);
      }
      break;
    case kDestroyRequest:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      on_main_window_destroying();
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  try {
    return handle_message(window, message, wparam, lparam);
  } catch (...) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
}

bool is_plain_escape(const MSG& message) {
  const auto held = [](int key) { return (GetKeyState(key) & 0x8000) != 0; };
  return message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && !held(VK_CONTROL) &&
         !held(VK_SHIFT) && !held(VK_MENU);
}

// Esc aimed at the window or any of its controls is a close request; nothing asks whether the
// window may close, so it is destroyed at once.
bool close_on_escape(MSG& message) {
  if (!main_window || !is_plain_escape(message)) return false;
  if (message.hwnd != main_window && !IsChild(main_window, message.hwnd)) return false;
  SendMessageW(main_window, WM_CLOSE, 0, 0);
  return true;
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
  window_class.lpszClassName = kWindowClass;
  return RegisterClassExW(&window_class) != 0;
}

HWND create_control(HWND parent, const ControlSpec& settings) {
  switch (settings.kind) {
    case Kind::SuperBtn: return create_super_button(parent, settings);
    case Kind::TransLabel: return create_trans_label(parent, settings);
    case Kind::ProcessBar: return create_process_bar(parent, settings);
    case Kind::Label: return create_plain_label(parent, settings);
  }
  return nullptr;
}

void create_controls(HWND parent) {
  for (const ControlSpec& settings : control_table()) {
    HWND control = create_control(parent, settings);
    state_of(settings.id).window = control;
    if (control && settings.visible) ShowWindow(control, SW_SHOWNA);
  }
}

}  // namespace

HWND main_window_handle() { return main_window; }

}  // namespace ui

void load_main_window(CreatedHandler on_created) {
  using namespace ui;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  const INITCOMMONCONTROLSEX common{sizeof common, ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&common);
  if (!register_window_class(instance)) return;
  const WindowPlace place = centred_place(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  // A popup has no frame or title bar; the minimise capability lets the taskbar minimise it.
  main_window = CreateWindowExW(WS_EX_APPWINDOW, kWindowClass, platform::to_utf16(kWindowTitle).c_str(),
                                WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, place.left, place.top,
                                kWindowWidth, kWindowHeight, nullptr, nullptr, instance, nullptr);
  if (!main_window) return;
  create_controls(main_window);
  platform::set_message_filter(close_on_escape);
  if (on_created) on_created();
  ShowWindow(main_window, SW_SHOWNORMAL);
}

bool main_window_open() { return ui::main_window && IsWindow(ui::main_window); }
