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

// A command and where its standard output goes (/dev/null when empty).
struct TimedCommand {
    std::vector<std::string> command;
    std::string outputPath;
};

// Each command run once in turn, `runs` rounds: on a shared machine a busy moment then
// falls on all of them alike rather than on whichever ran at that time.
std::vector<Timing> TimeInTurns(const std::vector<TimedCommand>& commands, int runs);

} // namespace tabrivel::bench
