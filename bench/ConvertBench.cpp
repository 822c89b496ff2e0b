// Times tabrivel-convert against pgdbf on the same large tables, side by side.
//   tabrivel-convert-bench [--records N] [--runs R] [--dir FOLDER]
#include "BenchOptions.h"
#include "BenchTables.h"
#include "ProcessTimer.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace tabrivel::bench;

namespace {

void Report(const char* who, const Timing& timing, std::uint32_t records, std::uintmax_t bytes) {
    std::printf("  %-18s median %7.3f s  %10.0f records/s  %7.1f MB/s  peak RSS %6.1f MB%s\n", who,
                timing.medianSeconds, records / timing.medianSeconds,
                bytes / 1e6 / timing.medianSeconds, timing.maxResidentKiB / 1024.0,
                timing.succeeded ? "" : "  (FAILED)");
}

void Compare(const char* title, const std::vector<std::string>& ours,
             const std::vector<std::string>& theirs, const fs::path& dir, std::uint32_t records,
             std::uintmax_t bytes, int runs) {
    std::printf("%s (%u records, %.1f MB of table and memo)\n", title, records, bytes / 1e6);
    const Timing tabrivel = TimeCommand(ours, "", runs);
    Report("tabrivel-convert", tabrivel, records, bytes);
    const Timing pgdbf = TimeCommand(theirs, (dir / "pgdbf.sql").string(), runs);
    Report("pgdbf", pgdbf, records, bytes);
    if (pgdbf.succeeded && tabrivel.succeeded)
        std::printf("  speed-up over pgdbf: %.2fx\n", pgdbf.medianSeconds / tabrivel.medianSeconds);
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

    Compare("dBase III, ten fields", {convert.string(), "-o", out, dbase.string()},
            {"pgdbf", "-s", "cp1252", dbase.string()}, options.dir, options.records,
            fs::file_size(dbase), options.runs);
    Compare("Visual FoxPro with memo", {convert.string(), "-o", out, fox.string()},
            {"pgdbf", "-s", "cp1252", "-m", memo.string(), fox.string()}, options.dir,
            options.records, fs::file_size(fox) + fs::file_size(memo), options.runs);
    return 0;
}
