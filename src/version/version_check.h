// The check, once per process, whether the server offers another main program than the
// installed one.
#pragma once

// The main window's created event, on the window thread: disables 按钮2, says that the check
// runs and starts the version-check thread.
void start_version_check();

// The body of the version-check thread.
void run_version_check();
