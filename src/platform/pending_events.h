#pragma once

namespace platform {

// Handles every window message already waiting in the calling thread's queue, then returns.
// A quit message is left for the message loop.
void handle_pending_events();

}  // namespace platform
