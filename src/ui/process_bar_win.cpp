#include "ui/process_bar_win.h"

#include <commctrl.h>

namespace ui {

namespace {

LRESULT CALLBACK move_on_press(HWND bar, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                               DWORD_PTR) {
  if (message == WM_LBUTTONDOWN) {
    begin_window_move(GetParent(bar));
    return 0;  // the press goes no further
  }
  return DefSubclassProc(bar, message, wparam, lparam);
}

}  // namespace

void begin_window_move(HWND window) {
  const DWORD cursor = GetMessagePos();
  PostMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, static_cast<LPARAM>(cursor));
}

HWND create_process_bar(HWND parent, const ControlSpec& settings) {
  HWND bar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD, settings.left, settings.top, settings.width,
                             settings.height, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id(settings.id))),
                             GetModuleHandleW(nullptr), nullptr);
  SendMessageW(bar, PBM_SETRANGE32, 0, kBarMaximum);
  SendMessageW(bar, PBM_SETPOS, 0, 0);
  SetWindowSubclass(bar, move_on_press, 1, 0);
  return bar;
}

}  // namespace ui
