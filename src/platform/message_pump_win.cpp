#include "platform/message_pump.h"

#include <windows.h>

namespace platform {

namespace {

MessageFilter message_filter = nullptr;  // window thread only

void dispatch(MSG& message) {
  if (message_filter && message_filter(message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

}  // namespace

void set_message_filter(MessageFilter filter) { message_filter = filter; }

void handle_pending_events() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    dispatch(message);
  }
}

void wait_processing_events(unsigned milliseconds) {
  const DWORD start = GetTickCount();
  do {
    handle_pending_events();
  } while (GetTickCount() - start <= milliseconds);
}

void run_message_loop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) dispatch(message);
}

}  // namespace platform
