// The pool under conditions a real run seldom shows on demand: tables that finish in the
// reverse of their order, a table ahead of its turn far larger than the memory allowed
// for it, a table whose conversion throws, a part that drops the parts after it; and how a
// run's tables are cut into parts.
#include "companion/TableJobs.h"
#include "companion/TableParts.h"
#include "samples/DbfWriter.h"

#include "StreamContents.h"

#include <QTest>

#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <thread>

using namespace tabrivel;
using namespace std::chrono_literals;

namespace {

TablePlan PlanOf(std::size_t index) {
    const std::string name = "t" + std::to_string(index);
    return {"'" + name + "'", name, {PlannedColumn{"'c'", "c", "text", {}}}, {}, {}};
}

// A table of `rows` rows of `row` each.
void WriteRows(TableTarget& target, std::size_t index, std::size_t rows, const std::string& row) {
    target.beginTable(PlanOf(index));
    const Cell cell{Cell::Kind::Text, row};
    for (std::size_t k = 0; k < rows; ++k)
        target.addRow({&cell, 1});
    target.endTable();
}

// Runs `count` tables on `workers` threads into temporary files.
struct PoolRun {
    std::FILE* out = std::tmpfile();
    std::FILE* errors = std::tmpfile();
    ScriptSink sink{out};
    ConversionOptions options;
    LoadOptions load;

    ~PoolRun() {
        std::fclose(out);
        std::fclose(errors);
    }

    TableJobsOutcome run(std::size_t count, int workers, const TableJob& job) {
        return RunTableJobs(count, workers, job, options, load, {sink, errors, false});
    }

    // What reached the script, the sink's buffer written out first.
    std::string script() {
        sink.flush();
        return StreamContents(out);
    }
};

} // namespace

class TableJobsTest : public QObject {
    Q_OBJECT

private slots:
    // Later tables finish first; statements and reports still come in table order.
    void tablesFinishingOutOfOrderAreWrittenInOrder() {
        PoolRun pool;
        pool.options.createTable = false;
        const TableJob job = [](std::size_t index, TableTarget& target, const ReportWriter& report,
                                ProgressLine*) {
            report("before " + std::to_string(index) + "\n");
            std::this_thread::sleep_for(std::chrono::milliseconds(3 * (12 - index)));
            WriteRows(target, index, 2, "r");
            report("after " + std::to_string(index) + "\n");
            return index != 5;
        };
        const TableJobsOutcome outcome = pool.run(12, 4, job);
        QVERIFY(!outcome.allConverted);
        QVERIFY(outcome.anyTableBegun);
        std::string script, reports;
        for (std::size_t k = 0; k < 12; ++k) {
            const std::string insert = "INSERT INTO 't" + std::to_string(k) + "' VALUES ('r');\r\n";
            script += insert + insert;
            reports += "before " + std::to_string(k) + "\nafter " + std::to_string(k) + "\n";
        }
        QCOMPARE(pool.script(), script);
        QCOMPARE(StreamContents(pool.errors), reports);
    }

    // The first table waits until the one after it has stopped growing: what that one
    // held meanwhile is the bound, not its 64 MB.
    void aTableAheadOfItsTurnHoldsBoundedMemory() {
        PoolRun pool;
        std::atomic<std::size_t> aheadWritten{0};
        std::size_t heldAhead = 0;
        const std::string row(1000, 'x');
        const TableJob job = [&](std::size_t index, TableTarget& target, const ReportWriter&,
                                 ProgressLine*) {
            if (index == 1) {
                for (std::size_t k = 0; k < 64 * 1024; ++k) {
                    WriteRows(target, index, 1, row);
                    aheadWritten += row.size();
                }
                return true;
            }
            std::size_t seen = ~std::size_t{0};
            for (int wait = 0; wait < 200 && aheadWritten != seen; ++wait) {
                seen = aheadWritten;
                std::this_thread::sleep_for(50ms);
            }
            heldAhead = aheadWritten;
            WriteRows(target, index, 1, "first");
            return true;
        };
        QVERIFY(pool.run(2, 2, job).allConverted);
        QVERIFY2(heldAhead > 0 && heldAhead < 24u << 20, std::to_string(heldAhead).c_str());
        const std::string script = pool.script();
        QVERIFY(script.starts_with("CREATE TABLE 't0' ('c' text);\r\n"
                                   "INSERT INTO 't0' VALUES ('first');\r\n"
                                   "CREATE TABLE 't1'"));
        QVERIFY(script.size() > 64u * 1024 * 1000);
    }

    // What a table met that nobody expected escapes at its turn: the tables before it
    // are written, none after it, and no worker is left behind.
    void anUnexpectedFailureEscapesAtItsTurn() {
        PoolRun pool;
        pool.options.createTable = false;
        std::atomic<int> started{0};
        const TableJob job = [&](std::size_t index, TableTarget& target, const ReportWriter&,
                                 ProgressLine*) {
            ++started;
            if (index == 3)
                throw std::runtime_error("unexpected");
            WriteRows(target, index, 1, "r");
            return true;
        };
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, pool.run(400, 3, job));
        const std::string script = pool.script();
        QVERIFY2(script.ends_with("INSERT INTO 't2' VALUES ('r');\r\n"), script.c_str());
        QVERIFY(script.find("'t4'") == std::string::npos);
        QVERIFY(started < 400);
    }

    // A part that fails drops the parts after it, as one thread stops reading its table
    // there: what they made is written nowhere, even a part that finished first or that
    // waits for room, and the units after them are written as usual.
    void aFailedPartDropsThePartsAfterIt() {
        PoolRun pool;
        pool.options.createTable = false;
        const std::string row(1000, 'x');
        const TableJob job = [&](std::size_t index, TableTarget& target, const ReportWriter& report,
                                 ProgressLine*) -> JobOutcome {
            report("unit " + std::to_string(index) + "\n");
            if (index == 1) {
                std::this_thread::sleep_for(100ms);
                WriteRows(target, index, 1, "r");
                return {false, 2};
            }
            // Unit 2 holds far more than a unit ahead of its turn may, so it waits for room.
            WriteRows(target, index, index == 2 ? 40 * 1024 : 1, index == 2 ? row : "r");
            return true;
        };
        const TableJobsOutcome outcome = pool.run(6, 3, job);
        QVERIFY(!outcome.allConverted);
        std::string script, reports;
        for (const std::size_t kept : {0, 1, 4, 5}) {
            script += "INSERT INTO 't" + std::to_string(kept) + "' VALUES ('r');\r\n";
            reports += "unit " + std::to_string(kept) + "\n";
        }
        QCOMPARE(pool.script(), script);
        QCOMPARE(StreamContents(pool.errors), reports);
    }

    // Only a large table is cut, into parts in their order, whose records follow on from
    // one another without a gap, however many parts there are for the records.
    void largeTablesAreCutIntoConsecutiveParts() {
        QTemporaryDir dir;
        const auto sized = [&dir](const char* name, std::uintmax_t bytes) {
            std::string path = dir.filePath(name).toStdString();
            std::FILE* file = std::fopen(path.c_str(), "wb");
            std::fclose(file);
            std::filesystem::resize_file(path, bytes);
            return path;
        };
        const std::vector<std::string> tables{sized("small.dbf", 1 << 20),
                                              sized("large.dbf", 64 << 20), "missing.dbf"};
        const std::vector<TableUnit> units = PlanUnits(tables, true);
        QVERIFY(units.size() > 4);
        QCOMPARE(units.front().parts, 1u);
        QCOMPARE(units.back().table, 2u);
        QCOMPARE(units.back().parts, 1u);
        for (std::size_t k = 1; k + 1 < units.size(); ++k) {
            QCOMPARE(units[k].table, 1u);
            QCOMPARE(units[k].part, k - 1);
            QCOMPARE(units[k].parts, units.size() - 2);
        }
        QCOMPARE(PlanUnits(tables, false).size(), tables.size());
        for (const auto& [records, parts] :
             {std::pair<std::uint64_t, std::size_t>{1000003, 7}, {3, 5}, {0, 2}}) {
            std::uint64_t end = 0;
            for (std::size_t part = 0; part < parts; ++part) {
                const auto [first, last] = PartRecords(records, part, parts);
                QCOMPARE(first, end);
                QVERIFY(last >= first);
                end = last;
            }
            QCOMPARE(end, records);
        }
    }

    // A part that failed holds back the parts after it, never those before: they are
    // written as one thread would have written their records before it stopped.
    void aFailedPartHoldsBackOnlyThePartsAfterIt() {
        QTemporaryDir dir;
        DbfWriter writer;
        writer.addField("N", 'N', 4);
        for (int k = 0; k < 12; ++k)
            writer.addRecord({std::to_string(k)}, k == 1);
        const std::filesystem::path path = dir.filePath("parts.dbf").toStdString();
        writer.write(path);
        TableInParts shared(path, 4);
        shared.open({});
        shared.fail(2);
        for (const std::size_t part : {0, 1}) {
            const std::unique_ptr<TableSource> records = shared.openPart(part);
            QVERIFY(records);
            const std::optional<TablePart> place = shared.place(part, *records);
            QVERIFY(place);
            QCOMPARE(place->rowsBefore, part == 0 ? 0u : 2u);
            QVERIFY(shared.finish(part, {}));
        }
        QVERIFY(!shared.openPart(3));
        QVERIFY(!shared.finish(3, {}));
    }

    void workersAreAtMostOnePerTable() {
        QCOMPARE(WorkersFor(4, 2), 2);
        QCOMPARE(WorkersFor(4, 100), 4);
        QCOMPARE(WorkersFor(4, 0), 1);
        QCOMPARE(WorkersFor(1000, 5000), 64);
        QVERIFY(DefaultJobs() >= 1);
    }
};

QTEST_GUILESS_MAIN(TableJobsTest)
#include "TableJobsTest.moc"
