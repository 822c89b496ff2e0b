#pragma once

#include <cstdint>
#include <filesystem>

namespace tabrivel::bench {

// The command line every table benchmark takes: [--records N] [--runs R] [--dir FOLDER].
struct BenchOptions {
    std::uint32_t records = 1000000;
    int runs = 1;
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "tabrivel-bench";
};

// Options from the command line over `defaultRuns`; at least one run is always made.
BenchOptions ParseBenchOptions(int argc, char** argv, int defaultRuns);

} // namespace tabrivel::bench
