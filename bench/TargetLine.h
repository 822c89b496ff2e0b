#pragma once

#include <string>

namespace tabrivel::bench {

// One target of the benchmarks on one line of its own, so that every aim and its figure
// show at a glance: `met`, `NOT MET`, or no figure when a run it needs failed (a NaN
// ratio). `control` says what the figure is to be read beside, when anything.
void PrintTarget(const std::string& what, double ratio, const std::string& aim, bool met,
                 const std::string& control = {});

} // namespace tabrivel::bench
