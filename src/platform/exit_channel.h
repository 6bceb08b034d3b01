// The channel through which a worker thread hands an exit request to the window thread.
#pragma once

namespace platform {

using ExitRequestHandler = void (*)(int exit_code);

// Opens the channel on the calling thread (the window thread): a message-only window whose
// requests are handled wherever that thread dispatches messages, modal loops included.
bool open_exit_channel(ExitRequestHandler handler);

// Queues a request for the window thread; false when the channel is gone or was never opened.
bool post_exit_request(int exit_code);

}  // namespace platform
