#pragma once

namespace gearlog {

// Gives memory freed by a large read (a page check, a long list) back to
// the system: the C library keeps it otherwise, above all in the arenas of
// threads that have ended, and the program looks as large as its peak.
void returnFreedMemory();

} // namespace gearlog
