#include "ProcessTimer.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tabrivel::bench {

ProcessRun RunProcess(const std::vector<std::string>& command, const std::string& outputPath,
                      const std::vector<std::string>& extraEnvironment) {
    std::vector<char*> argv;
    for (const std::string& part : command)
        argv.push_back(const_cast<char*>(part.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> environment(extraEnvironment);
    for (char** e = environ; *e; ++e)
        environment.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string target = outputPath.empty() ? "/dev/null" : outputPath;
    // The last run's output goes before the clock starts: cutting a file of hundreds of
    // megabytes to nothing frees its cached pages, which is no work of the program timed.
    if (!outputPath.empty())
        ::unlink(outputPath.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, target.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    ProcessRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return run;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.maxResidentKiB = usage.ru_maxrss;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

namespace {

void Record(Timing& timing, std::vector<double>& seconds, const ProcessRun& run) {
    timing.succeeded = timing.succeeded && run.exitStatus == 0;
    timing.maxResidentKiB = std::max(timing.maxResidentKiB, run.maxResidentKiB);
    seconds.push_back(run.seconds);
}

double Median(std::vector<double> seconds) {
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

} // namespace

Timing TimeCommand(const std::vector<std::string>& command, const std::string& outputPath, int runs,
                   const std::vector<std::string>& extraEnvironment) {
    std::vector<double> seconds;
    Timing timing;
    for (int i = 0; i < runs; ++i)
        Record(timing, seconds, RunProcess(command, outputPath, extraEnvironment));
    timing.medianSeconds = Median(seconds);
    return timing;
}

std::vector<Timing> TimeInTurns(const std::vector<TimedCommand>& commands, int runs) {
    std::vector<Timing> timings(commands.size());
    std::vector<std::vector<double>> seconds(commands.size());
    for (int round = 0; round < runs; ++round)
        for (std::size_t i = 0; i < commands.size(); ++i)
            Record(timings[i], seconds[i], RunProcess(commands[i].command, commands[i].outputPath));
    for (std::size_t i = 0; i < commands.size(); ++i)
        timings[i].medianSeconds = Median(seconds[i]);
    return timings;
}

} // namespace tabrivel::bench
