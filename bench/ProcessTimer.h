#pragma once

#include <string>
#include <vector>

namespace tabrivel::bench {

struct ProcessRun {
    double seconds = 0;
    long maxResidentKiB = 0;
    int exitStatus = -1;
};

// Runs a command with its standard output sent to `outputPath` (or /dev/null when
// empty) and measures its wall time and peak resident memory.
ProcessRun RunProcess(const std::vector<std::string>& command, const std::string& outputPath,
                      const std::vector<std::string>& extraEnvironment = {});

struct Timing {
    double medianSeconds = 0;
    long maxResidentKiB = 0;
    bool succeeded = true;
};

// Median of `runs` runs, with the largest peak memory of all of them.
Timing TimeCommand(const std::vector<std::string>& command, const std::string& outputPath, int runs,
                   const std::vector<std::string>& extraEnvironment = {});

} // namespace tabrivel::bench
