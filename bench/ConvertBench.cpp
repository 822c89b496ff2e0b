// Times tabrivel-convert against pgdbf and against the floor program (a memory map and a
// format loop, bench/FloorConvert.cpp) on the same large tables, side by side; then each
// large table with one worker and with two, which cut it into parts; then the same records
// spread over many small tables, with one worker and with two.
//   tabrivel-convert-bench [--records N] [--runs R] [--dir FOLDER]
#include "BenchOptions.h"
#include "BenchTables.h"
#include "ProcessTimer.h"
#include "TargetLine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace tabrivel::bench;

namespace {

void Report(const char* who, const Timing& timing, std::uint32_t records, std::uintmax_t bytes) {
    std::printf("  %-18s median %7.3f s  %10.0f records/s  %7.1f MB/s  peak RSS %6.1f MB%s\n", who,
                timing.medianSeconds, records / timing.medianSeconds,
                bytes / 1e6 / timing.medianSeconds, timing.maxResidentKiB / 1024.0,
                timing.succeeded ? "" : "  (FAILED)");
}

struct Commands {
    std::vector<std::string> ours, pgdbf, floor;
};

// Every program writes its script to standard output, into a file of the same folder,
// so that all three pay the same for storing it. `-o FILE` is timed on its own line: it
// also waits for the disk, since the script replaces the file only once it is stored.
// Ours runs with one worker here: the floor is one thread, and so is the aim against it.
void Compare(const char* title, const Commands& commands, const fs::path& dir,
             std::uint32_t records, std::uintmax_t bytes, int runs, double floorAim) {
    std::printf("%s (%u records, %.1f MB of table and memo)\n", title, records, bytes / 1e6);
    auto synced = commands.ours;
    synced.insert(synced.begin() + 1, {"-o", (dir / "tabrivel-synced.sql").string()});
    const auto timings = TimeInTurns({{commands.ours, (dir / "tabrivel.sql").string()},
                                      {commands.pgdbf, (dir / "pgdbf.sql").string()},
                                      {commands.floor, (dir / "floor.sql").string()},
                                      {synced, ""}},
                                     runs);
    const Timing& tabrivel = timings[0];
    const Timing& pgdbf = timings[1];
    const Timing& floor = timings[2];
    Report("tabrivel-convert", tabrivel, records, bytes);
    Report("pgdbf", pgdbf, records, bytes);
    Report("floor", floor, records, bytes);
    Report("tabrivel -o FILE", timings[3], records, bytes);
    if (pgdbf.succeeded && tabrivel.succeeded)
        std::printf("  speed-up over pgdbf: %.2fx\n", pgdbf.medianSeconds / tabrivel.medianSeconds);
    const double overFloor = floor.succeeded && tabrivel.succeeded
                                 ? tabrivel.medianSeconds / floor.medianSeconds
                                 : std::nan("");
    char aim[32];
    std::snprintf(aim, sizeof aim, "at most %.1fx", floorAim);
    PrintTarget(std::string("one thread over the floor's time, ") + title, overFloor, aim,
                overFloor <= floorAim);
}

// What a second thread gains on this machine right now, on arithmetic alone: on a shared
// machine the other core may be busy, and then no program gains from a second worker.
double SecondThreadGain() {
    auto spin = [] {
        volatile std::uint64_t sum = 0;
        for (std::uint64_t i = 0; i < 100'000'000; ++i)
            sum = sum + i;
    };
    auto seconds = [](auto&& work) {
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    std::vector<double> gains;
    for (int pair = 0; pair < 5; ++pair) {
        const double one = seconds([&] {
            spin();
            spin();
        });
        const double two = seconds([&] {
            std::thread other(spin);
            spin();
            other.join();
        });
        gains.push_back(one / two);
    }
    std::sort(gains.begin(), gains.end());
    return gains[gains.size() / 2];
}

// Each large table with one worker and with two, scripts into a file: what cutting one
// table into parts gains, beside two controls taken at that moment: what a second thread
// gains on arithmetic alone, and what it gains on this very work, as two conversions of
// the table at once against one. The second is the fairer ceiling: two conversions pay what
// a conversion pays in memory traffic and in the system, which arithmetic alone does not.
void CompareJobsOnOneTable(const fs::path& convert, const fs::path& dbase, const fs::path& fox,
                           std::uintmax_t foxBytes, const BenchOptions& options) {
    std::printf("One table, --jobs 1 and --jobs 2\n");
    const std::string script = (options.dir / "jobs.sql").string();
    auto withJobs = [&convert, &script](const char* jobs, const fs::path& table) {
        return TimedCommand{{convert.string(), "--jobs", jobs, table.string()}, script};
    };
    auto twoAtOnce = [&convert, &options](const fs::path& table) {
        const std::string one = convert.string() + " --jobs 1 " + table.string() + " > ";
        const std::string pair = (options.dir / "pair").string();
        return TimedCommand{{"sh", "-c", one + pair + "1.sql & " + one + pair + "2.sql; wait"}, ""};
    };
    const auto timings = TimeInTurns({withJobs("1", dbase), withJobs("2", dbase), twoAtOnce(dbase),
                                      withJobs("1", fox), withJobs("2", fox), twoAtOnce(fox)},
                                     options.runs);
    const char* names[] = {"dBase III, --jobs 1", "dBase III, --jobs 2", "dBase III, 2 at once",
                           "FoxPro, --jobs 1",    "FoxPro, --jobs 2",    "FoxPro, 2 at once"};
    for (std::size_t i = 0; i < timings.size(); ++i)
        Report(names[i], timings[i], options.records * (i % 3 == 2 ? 2 : 1),
               (i < 3 ? fs::file_size(dbase) : foxBytes) * (i % 3 == 2 ? 2 : 1));
    const double arithmetic = SecondThreadGain();
    const char* tables[] = {"dBase III", "Visual FoxPro"};
    for (std::size_t k = 0; k < 2; ++k) {
        const Timing& one = timings[3 * k];
        const Timing& two = timings[3 * k + 1];
        const Timing& pair = timings[3 * k + 2];
        const bool ran = one.succeeded && two.succeeded && pair.succeeded;
        const double gain = ran ? one.medianSeconds / two.medianSeconds : std::nan("");
        char control[128];
        std::snprintf(control, sizeof control,
                      "a second thread gains %.2fx on arithmetic, %.2fx on two conversions at once",
                      arithmetic, ran ? 2 * one.medianSeconds / pair.medianSeconds : std::nan(""));
        PrintTarget(std::string("one table, --jobs 2 over --jobs 1, ") + tables[k], gain,
                    "at least 1.7x", gain >= 1.7, control);
    }
}

// The same records as one table and as many tables of 100 records: the cost of each
// table's opening, and what a second worker gains. Scripts go to standard output, into a
// file and into /dev/null.
void CompareManyTables(const fs::path& convert, const fs::path& single,
                       const BenchOptions& options) {
    const std::vector<fs::path> paths = WriteManySmallTables(options.dir, options.records);
    const auto tables = static_cast<std::uint32_t>(paths.size());
    std::vector<std::string> command = {convert.string()};
    for (const fs::path& path : paths)
        command.push_back(path.string());
    std::printf("Many tables (%u tables of 100 records against one of %u)\n", tables,
                options.records);
    auto withJobs = [&command](const char* jobs) {
        auto jobsCommand = command;
        jobsCommand.insert(jobsCommand.begin() + 1, {"--jobs", jobs});
        return jobsCommand;
    };
    const std::string many = (options.dir / "many.sql").string();
    const auto timings =
        TimeInTurns({{{convert.string(), single.string()}, (options.dir / "one.sql").string()},
                     {command, many},
                     {withJobs("1"), many},
                     {withJobs("2"), many},
                     {withJobs("1"), ""},
                     {withJobs("2"), ""}},
                    options.runs);
    const char* names[] = {"one table",      "many tables",         "many, --jobs 1",
                           "many, --jobs 2", "--jobs 1 >/dev/null", "--jobs 2 >/dev/null"};
    const std::uintmax_t bytes = fs::file_size(single);
    for (std::size_t i = 0; i < timings.size(); ++i)
        Report(names[i], timings[i], i == 0 ? options.records : tables * 100, bytes);
    const auto ratio = [&timings](std::size_t a, std::size_t b) {
        return timings[a].medianSeconds / timings[b].medianSeconds;
    };
    if (std::all_of(timings.begin(), timings.end(), [](const Timing& t) { return t.succeeded; }))
        std::printf("  many over one: %.2fx (with one worker: %.2fx)\n"
                    "  --jobs 2 speed-up over --jobs 1: %.2fx (file), %.2fx (/dev/null); "
                    "two threads of arithmetic alone: %.2fx\n",
                    ratio(1, 0), ratio(2, 0), ratio(2, 3), ratio(4, 5), SecondThreadGain());
}

} // namespace

int main(int argc, char** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, 5);
    fs::create_directories(options.dir);
    const fs::path convert = fs::path(argv[0]).parent_path() / "tabrivel-convert";
    const fs::path dbase = options.dir / "bench3.dbf";
    const fs::path fox = options.dir / "benchvfp.dbf", memo = options.dir / "benchvfp.fpt";
    WriteDbase3Table(dbase.string(), options.records);
    WriteFoxProTable(fox.string(), memo.string(), options.records);
    const std::string floor = (fs::path(argv[0]).parent_path() / "tabrivel-floor").string();

    Compare("dBase III, ten fields",
            {{convert.string(), "--jobs", "1", dbase.string()},
             {"pgdbf", "-s", "cp1252", dbase.string()},
             {floor, dbase.string()}},
            options.dir, options.records, fs::file_size(dbase), options.runs, 1.2);
    Compare("Visual FoxPro with memo",
            {{convert.string(), "--jobs", "1", fox.string()},
             {"pgdbf", "-s", "cp1252", "-m", memo.string(), fox.string()},
             {floor, fox.string(), memo.string()}},
            options.dir, options.records, fs::file_size(fox) + fs::file_size(memo), options.runs,
            1.3);
    CompareJobsOnOneTable(convert, dbase, fox, fs::file_size(fox) + fs::file_size(memo), options);
    CompareManyTables(convert, dbase, options);
    return 0;
}
