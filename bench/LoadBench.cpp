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

#include <algorithm>
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

void Compare(const std::string& title, const std::vector<Contender>& contenders,
             const std::function<void()>& reset, std::uint32_t records, int runs) {
    std::printf("%s\n", title.c_str());
    std::vector<double> seconds;
    for (const Contender& contender : contenders) {
        const ProcessRun run = Time(contender.pipeline, reset, runs);
        seconds.push_back(run.seconds);
        std::printf("  %-34s %8.2f s  %10.0f records/s%s\n", contender.who.c_str(), run.seconds,
                    records / run.seconds, run.exitStatus == 0 ? "" : "  (FAILED)");
    }
    for (std::size_t i = 0; i + 1 < contenders.size(); ++i)
        std::printf("  %s: %.2fx the speed of %s\n", contenders[i].who.c_str(),
                    seconds.back() / seconds[i], contenders.back().who.c_str());
    std::fflush(stdout);
}

std::string Quoted(const std::string& text) {
    std::string quoted(1, '\'');
    quoted += text;
    quoted += '\'';
    return quoted;
}

void IntoSqlite(const Table& table, const fs::path& convert, const fs::path& dir,
                const BenchOptions& options) {
    const std::string db = (dir / "bench.sqlite").string();
    const std::string ours =
        Quoted(convert.string()) + " --names --types --null --trim --no-progress ";
    Compare(
        "Into SQLite: " + table.title,
        {{"tabrivel-convert --sqlite", ours + "--sqlite " + db + " " + table.dbf.string()},
         {"tabrivel-convert | sqlite3", ours + "--dialect sqlite --transaction --batch 500 " +
                                            table.dbf.string() + " | sqlite3 " + db},
         {"ogr2ogr -f SQLite", "ogr2ogr -f SQLite " + db + " " + table.dbf.string()}},
        [&db] { fs::remove(db); }, options.records, options.runs);
}

void IntoPostgres(const Table& table, const fs::path& convert, const PostgresCluster& cluster,
                  const BenchOptions& options) {
    std::string psql = Quoted(cluster.tool("psql").toStdString()) + " -X -q -v ON_ERROR_STOP=1";
    for (const QString& word : cluster.clientArguments())
        (psql += ' ') += Quoted(word.toStdString());
    const std::string ours = Quoted(convert.string()) +
                             " --dialect postgresql --names --types --null --trim --no-progress ";
    const std::string memo = table.memo.empty() ? "" : "-m " + Quoted(table.memo.string()) + " ";
    const QStringList client = cluster.clientArguments();
    const std::string conninfo = "host=" + client[1].toStdString() +
                                 " user=" + client[3].toStdString() +
                                 " dbname=" + client[5].toStdString();
    const std::string direct = Quoted(convert.string()) + " --no-progress --postgresql " +
                               Quoted(conninfo) + " " + table.dbf.string();
    Compare(
        "Into PostgreSQL: " + table.title,
        {{"tabrivel-convert --postgresql", direct},
         {"tabrivel-convert --to postgresql | psql", Quoted(convert.string()) +
                                                         " --no-progress --to postgresql " +
                                                         table.dbf.string() + " | " + psql},
         {"tabrivel-convert --batch 500 | psql",
          ours + "--transaction --batch 500 " + table.dbf.string() + " | " + psql},
         {"pgdbf -s cp1252 | psql", "pgdbf -s cp1252 " + memo + table.dbf.string() + " | " + psql}},
        [&cluster] {
            cluster.execute("SET client_min_messages = warning; "
                            "DROP SCHEMA public CASCADE; CREATE SCHEMA public");
        },
        options.records, options.runs);
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
    const PostgresCluster cluster;
    if (!cluster.failure().isEmpty()) {
        std::fprintf(stderr, "no PostgreSQL: %s\n", qPrintable(cluster.failure()));
        return 1;
    }
    for (const Table& table : tables)
        IntoPostgres(table, convert, cluster, options);
    return 0;
}
