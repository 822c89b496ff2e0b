// Times tabrivel-convert against pgdbf and against the floor program (a memory map and a
// format loop, bench/FloorConvert.cpp) on the same large tables, side by side; then the
// same records spread over many small tables, with one worker and with two.
//   tabrivel-convert-bench [--records N] [--runs R] [--dir FOLDER]
#include "BenchOptions.h"
#include "BenchTables.h"
#include "ProcessTimer.h"

#include <algorithm>
#include <chrono>
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

void Compare(const char* title, const Commands& commands, const fs::path& dir,
             std::uint32_t records, std::uintmax_t bytes, int runs) {
    std::printf("%s (%u records, %.1f MB of table and memo)\n", title, records, bytes / 1e6);
    const Timing tabrivel = TimeCommand(commands.ours, "", runs);
    Report("tabrivel-convert", tabrivel, records, bytes);
    const Timing pgdbf = TimeCommand(commands.pgdbf, (dir / "pgdbf.sql").string(), runs);
    Report("pgdbf", pgdbf, records, bytes);
    const Timing floor = TimeCommand(commands.floor, (dir / "floor.sql").string(), runs);
    Report("floor", floor, records, bytes);
    if (pgdbf.succeeded && tabrivel.succeeded)
        std::printf("  speed-up over pgdbf: %.2fx\n", pgdbf.medianSeconds / tabrivel.medianSeconds);
    if (floor.succeeded && tabrivel.succeeded)
        std::printf("  time over the floor's: %.2fx\n",
                    tabrivel.medianSeconds / floor.medianSeconds);
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

// The same records as one table and as many tables of 100 records: the cost of each
// table's opening, and what a second worker gains.
void CompareManyTables(const fs::path& convert, const fs::path& single,
                       const BenchOptions& options) {
    const std::uint32_t tables = std::max<std::uint32_t>(1, options.records / 100);
    const fs::path folder = options.dir / "many";
    fs::create_directories(folder);
    std::vector<std::string> command = {convert.string(), "-o",
                                        (options.dir / "many.sql").string()};
    for (std::uint32_t k = 0; k < tables; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "t%05u.dbf", k);
        const fs::path path = folder / name;
        if (!fs::exists(path))
            WriteDbase3Table(path.string(), 100);
        command.push_back(path.string());
    }
    std::printf("Many tables (%u tables of 100 records against one of %u)\n", tables,
                options.records);
    const std::uint32_t records = tables * 100;
    const std::uintmax_t bytes = fs::file_size(single);
    const Timing one =
        TimeCommand({convert.string(), "-o", (options.dir / "one.sql").string(), single.string()},
                    "", options.runs);
    Report("one table", one, options.records, bytes);
    const Timing many = TimeCommand(command, "", options.runs);
    Report("many tables", many, records, bytes);
    auto withJobs = [&command](const char* jobs, const char* output = nullptr) {
        auto jobsCommand = command;
        if (output)
            jobsCommand[2] = output;
        jobsCommand.insert(jobsCommand.begin() + 1, {"--jobs", jobs});
        return jobsCommand;
    };
    const Timing jobs1 = TimeCommand(withJobs("1"), "", options.runs);
    Report("many, --jobs 1", jobs1, records, bytes);
    const Timing jobs2 = TimeCommand(withJobs("2"), "", options.runs);
    Report("many, --jobs 2", jobs2, records, bytes);
    // The output file is stored on disk before it replaces the earlier one, at the disk's
    // speed whatever the workers: into /dev/null the conversion alone is timed.
    const Timing null1 = TimeCommand(withJobs("1", "/dev/null"), "", options.runs);
    Report("--jobs 1 >/dev/null", null1, records, bytes);
    const Timing null2 = TimeCommand(withJobs("2", "/dev/null"), "", options.runs);
    Report("--jobs 2 >/dev/null", null2, records, bytes);
    if (one.succeeded && many.succeeded)
        std::printf("  many over one: %.2fx\n", many.medianSeconds / one.medianSeconds);
    if (jobs1.succeeded && jobs2.succeeded)
        std::printf("  --jobs 2 speed-up over --jobs 1: %.2fx (file), %.2fx (/dev/null); "
                    "two threads of arithmetic alone: %.2fx\n",
                    jobs1.medianSeconds / jobs2.medianSeconds,
                    null1.medianSeconds / null2.medianSeconds, SecondThreadGain());
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
    const std::string out = (options.dir / "tabrivel.sql").string();

    const std::string floor = (fs::path(argv[0]).parent_path() / "tabrivel-floor").string();

    Compare("dBase III, ten fields",
            {{convert.string(), "-o", out, dbase.string()},
             {"pgdbf", "-s", "cp1252", dbase.string()},
             {floor, dbase.string()}},
            options.dir, options.records, fs::file_size(dbase), options.runs);
    Compare("Visual FoxPro with memo",
            {{convert.string(), "-o", out, fox.string()},
             {"pgdbf", "-s", "cp1252", "-m", memo.string(), fox.string()},
             {floor, fox.string(), memo.string()}},
            options.dir, options.records, fs::file_size(fox) + fs::file_size(memo), options.runs);
    CompareManyTables(convert, dbase, options);
    return 0;
}
