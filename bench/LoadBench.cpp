// Times getting the large tables into a database end to end, ours against the peers:
// into SQLite (--sqlite; the script through sqlite3) against ogr2ogr, and into a
// throw-away PostgreSQL cluster (--postgresql through libpq; --to postgresql | psql;
// INSERT batches | psql) against
// pgdbf | psql. Every run starts from an empty database. Ours runs with --names --types
// --null --trim: named, typed columns with trimmed text, which is what the peers load.
//   tabrivel-load-bench [--records N] [--runs R] [--dir FOLDER]
#include "BenchOptions.h"
#include "BenchTables.h"
#include "PostgresCluster.h"
#include "ProcessTimer.h"
#include "TargetLine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace tabrivel::bench;
using tabrivel::testing::PostgresCluster;

namespace {

struct Contender {
    std::string who;
    std::string pipeline; // a shell command line
};

struct Table {
    std::string title;
    fs::path dbf;
    fs::path memo; // empty when the table has none
};

// The median of `runs` runs of a shell pipeline, each after `reset`.
ProcessRun Time(const std::string& pipeline, const std::function<void()>& reset, int runs) {
    std::vector<ProcessRun> timed;
    for (int i = 0; i < runs; ++i) {
        reset();
        timed.push_back(RunProcess({"bash", "-c", "set -o pipefail; " + pipeline}, ""));
    }
    std::sort(timed.begin(), timed.end(),
              [](const ProcessRun& a, const ProcessRun& b) { return a.seconds < b.seconds; });
    ProcessRun median = timed[timed.size() / 2];
    for (const ProcessRun& run : timed)
        median.exitStatus = run.exitStatus != 0 ? run.exitStatus : median.exitStatus;
    return median;
}

// Each contender's median seconds, in their order.
std::vector<double> Compare(const std::string& title, const std::vector<Contender>& contenders,
                            const std::function<void()>& reset, std::uint32_t records, int runs) {
    std::printf("%s\n", title.c_str());
    std::vector<double> seconds;
    for (const Contender& contender : contenders) {
        const ProcessRun run = Time(contender.pipeline, reset, runs);
        // A run that failed gives no figure: a ratio with it reads "nan".
        seconds.push_back(run.exitStatus == 0 ? run.seconds : std::nan(""));
        std::printf("  %-34s %8.2f s  %10.0f records/s%s\n", contender.who.c_str(), run.seconds,
                    records / run.seconds, run.exitStatus == 0 ? "" : "  (FAILED)");
    }
    for (std::size_t i = 0; i + 1 < contenders.size(); ++i)
        std::printf("  %s: %.2fx the speed of %s\n", contenders[i].who.c_str(),
                    seconds.back() / seconds[i], contenders.back().who.c_str());
    std::fflush(stdout);
    return seconds;
}

// One word for the shell, whatever it holds.
std::string Quoted(const std::string& text) {
    std::string quoted(1, '\'');
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += '\'';
    return quoted;
}

void IntoSqlite(const Table& table, const fs::path& convert, const fs::path& dir,
                const BenchOptions& options) {
    const std::string db = (dir / "bench.sqlite").string();
    const std::string ours =
        Quoted(convert.string()) + " --names --types --null --trim --no-progress ";
    const std::string floor = Quoted((convert.parent_path() / "tabrivel-sqlite-floor").string()) +
                              " " + db + " " + table.dbf.string() + " " + table.memo.string();
    const std::vector<double> seconds = Compare(
        "Into SQLite: " + table.title,
        {{"tabrivel-convert --sqlite", ours + "--sqlite " + db + " " + table.dbf.string()},
         {"tabrivel-convert | sqlite3", ours + "--dialect sqlite --transaction --batch 500 " +
                                            table.dbf.string() + " | sqlite3 " + db},
         {"ogr2ogr -f SQLite", "ogr2ogr -f SQLite " + db + " " + table.dbf.string()},
         {"floor: one prepared INSERT", floor}},
        [&db] { fs::remove(db); }, options.records, options.runs);
    const double overFloor = seconds[0] / seconds[3];
    PrintTarget("--sqlite over the floor's time, " + table.title, overFloor, "at most 1.5x",
                overFloor <= 1.5);
}

// The same records as tables of 100 records each, through --sqlite and through the script:
// the cost of each table's own transaction and schema work.
void ManySmallTablesIntoSqlite(const fs::path& convert, const BenchOptions& options) {
    const std::vector<fs::path> paths = WriteManySmallTables(options.dir, options.records);
    const auto tables = static_cast<std::uint32_t>(paths.size());
    // Their folder, not their names: ten thousand names are more than one shell command
    // line may hold.
    const std::string names = ' ' + Quoted(paths.front().parent_path().string());
    const std::string db = (options.dir / "many.sqlite").string();
    const std::string ours =
        Quoted(convert.string()) + " --names --types --null --trim --no-progress ";
    const std::vector<double> seconds = Compare(
        "Into SQLite: " + std::to_string(tables) + " tables of 100 records",
        {{"tabrivel-convert --sqlite", ours + "--sqlite " + db + names},
         {"tabrivel-convert | sqlite3",
          ours + "--dialect sqlite --transaction --batch 500" + names + " | sqlite3 " + db}},
        [&db] { fs::remove(db); }, options.records, options.runs);
    const double overScript = seconds[0] / seconds[1];
    PrintTarget("--sqlite over the script's time, many small tables", overScript, "at most 2x",
                overScript <= 2.0);
}

struct FloorFiles {
    std::string text, binary;
};

// The table as the server's COPY reads it from a file of its own, in both forms: loaded
// once, then written out by psql's \\copy, so that the floor's rows are exactly ours.
FloorFiles MakeFloorFiles(const Table& table, const std::string& direct, const std::string& psql,
                          const std::string& copyName, const fs::path& dir) {
    const FloorFiles files{(dir / (copyName + ".copy")).string(),
                           (dir / (copyName + ".pgcopy")).string()};
    const std::string copyOut = "\\copy " + copyName + " TO ";
    RunProcess({"bash", "-c",
                direct + " --replace && " + psql + " -c " +
                    Quoted(copyOut + "'" + files.text + "'") + " -c " +
                    Quoted(copyOut + "'" + files.binary + "' (FORMAT binary)")},
               "");
    std::printf("  (%s: floor files of %.1f MB of text and %.1f MB binary)\n", table.title.c_str(),
                fs::exists(files.text) ? fs::file_size(files.text) / 1e6 : 0.0,
                fs::exists(files.binary) ? fs::file_size(files.binary) / 1e6 : 0.0);
    return files;
}

void IntoPostgres(const Table& table, const fs::path& convert, const PostgresCluster& cluster,
                  const BenchOptions& options) {
    std::string psql = Quoted(cluster.tool("psql").toStdString()) + " -X -q -v ON_ERROR_STOP=1";
    for (const QString& word : cluster.clientArguments())
        (psql += ' ') += Quoted(word.toStdString());
    const std::string ours = Quoted(convert.string()) +
                             " --dialect postgresql --names --types --null --trim --no-progress ";
    const std::string memo = table.memo.empty() ? "" : "-m " + Quoted(table.memo.string()) + " ";
    const std::string direct = Quoted(convert.string()) + " --no-progress --postgresql " +
                               Quoted(cluster.conninfo()) + " " + table.dbf.string();
    const std::string copyName = table.dbf.stem().string();
    const FloorFiles files = MakeFloorFiles(table, direct, psql, copyName, options.dir);
    const std::string schemaOnly = Quoted(convert.string()) +
                                   " --no-progress --to postgresql --schema-only " +
                                   table.dbf.string() + " | " + psql;
    const auto serverCopy = [&](const std::string& file, const char* format) {
        return schemaOnly + " && " + psql + " -c " +
               Quoted("COPY " + copyName + " FROM '" + file + "'" + format);
    };
    const std::vector<double> seconds = Compare(
        "Into PostgreSQL: " + table.title,
        {{"tabrivel-convert --postgresql", direct},
         {"tabrivel-convert --to postgresql | psql", Quoted(convert.string()) +
                                                         " --no-progress --to postgresql " +
                                                         table.dbf.string() + " | " + psql},
         {"tabrivel-convert --batch 500 | psql",
          ours + "--transaction --batch 500 " + table.dbf.string() + " | " + psql},
         {"server COPY from a text file", serverCopy(files.text, "")},
         {"server COPY from a binary file", serverCopy(files.binary, " (FORMAT binary)")},
         {"pgdbf -s cp1252 | psql", "pgdbf -s cp1252 " + memo + table.dbf.string() + " | " + psql}},
        [&cluster] {
            cluster.execute("SET client_min_messages = warning; "
                            "DROP SCHEMA public CASCADE; CREATE SCHEMA public");
        },
        options.records, options.runs);
    const double overPgdbf = seconds[5] / seconds[0];
    const double overScript = seconds[1] / seconds[0];
    const double overServer = seconds[0] / seconds[3];
    PrintTarget("--postgresql's speed over pgdbf | psql, " + table.title, overPgdbf,
                "at least 1.5x", overPgdbf >= 1.5);
    PrintTarget("--postgresql's speed over --to postgresql | psql, " + table.title, overScript,
                "above 1x", overScript > 1.0);
    PrintTarget("--postgresql over the server's COPY from a text file, " + table.title, overServer,
                "at most 1.3x", overServer <= 1.3);
}

} // namespace

int main(int argc, char** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, 1);
    fs::create_directories(options.dir);
    const fs::path convert = fs::path(argv[0]).parent_path() / "tabrivel-convert";
    const std::vector<Table> tables = {
        {"dBase III, ten fields", options.dir / "bench3.dbf", {}},
        {"Visual FoxPro with memo", options.dir / "benchvfp.dbf", options.dir / "benchvfp.fpt"}};
    WriteDbase3Table(tables[0].dbf.string(), options.records);
    WriteFoxProTable(tables[1].dbf.string(), tables[1].memo.string(), options.records);

    for (const Table& table : tables)
        IntoSqlite(table, convert, options.dir, options);
    ManySmallTablesIntoSqlite(convert, options);
    const PostgresCluster cluster;
    if (!cluster.failure().isEmpty()) {
        std::fprintf(stderr, "no PostgreSQL: %s\n", qPrintable(cluster.failure()));
        return 1;
    }
    for (const Table& table : tables)
        IntoPostgres(table, convert, cluster, options);
    return 0;
}
