#include "TargetLine.h"

#include <cmath>
#include <cstdio>

namespace tabrivel::bench {

void PrintTarget(const std::string& what, double ratio, const std::string& aim, bool met,
                 const std::string& control) {
    const char* verdict = std::isnan(ratio) ? "no figure: a run failed" : met ? "met" : "NOT MET";
    std::printf("  target  %-78s %5.2fx  (aim: %s)  %s%s%s\n", what.c_str(), ratio, aim.c_str(),
                verdict, control.empty() ? "" : "; ", control.c_str());
    std::fflush(stdout);
}

} // namespace tabrivel::bench
