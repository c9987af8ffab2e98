#pragma once

namespace gearlog {
class Form_main;
}

namespace gearlog::bench {

// The main window on the 1,000,000-asset sample (made on first use), for
// the benchmarks of large_bench.
Form_main& largeWindow();

} // namespace gearlog::bench
