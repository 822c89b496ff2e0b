// The pool under conditions a real run seldom shows on demand: tables that finish in the
// reverse of their order, a table ahead of its turn far larger than the memory allowed
// for it, and a table whose conversion throws.
#include "companion/TableJobs.h"

#include "StreamContents.h"

#include <QTest>

#include <atomic>
#include <chrono>
#include <cstdio>
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
