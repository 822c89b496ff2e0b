#include "BenchOptions.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace tabrivel::bench {

BenchOptions ParseBenchOptions(int argc, char** argv, int defaultRuns) {
    BenchOptions options;
    options.runs = defaultRuns;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--records")
            options.records = static_cast<std::uint32_t>(std::strtoul(argv[i + 1], nullptr, 10));
        else if (name == "--runs")
            options.runs = std::atoi(argv[i + 1]);
        else if (name == "--dir")
            options.dir = argv[i + 1];
    }
    options.runs = std::max(1, options.runs);
    return options;
}

} // namespace tabrivel::bench
