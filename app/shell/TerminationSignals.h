#pragma once

#include <functional>

namespace gearlog {

// Runs `exit` on the event loop when the process is told to end (SIGTERM
// at logout or shutdown, SIGINT, SIGHUP when its terminal goes), so the
// database is closed in order and its log emptied as File -> Exit does,
// instead of the process ending with the log left beside the file.
void exit_on_termination_signals(std::function<void()> exit);

} // namespace gearlog
