// The window thread's message handling, shared by the message loop and by the decoder's
// pauses, so that both treat every message alike.
#pragma once

struct tagMSG;

namespace platform {

// Sees every message before it is dispatched; returns true when it has handled the message.
using MessageFilter = bool (*)(tagMSG& message);
void set_message_filter(MessageFilter filter);

// Handles every window message already waiting in the calling thread's queue, then returns.
// A quit message is left for the message loop.
void handle_pending_events();

// Lets `milliseconds` pass while handling the calling thread's messages, pass after pass.
void wait_processing_events(unsigned milliseconds);

// Handles messages until a quit message arrives.
void run_message_loop();

}  // namespace platform
