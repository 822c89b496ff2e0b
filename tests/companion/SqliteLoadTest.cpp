// The fixture tables loaded into SQLite both ways a user would: the script run by SQLite
// as it stands, and --sqlite through the library. Every combination of the options, and
// every cell read back must be what the reader read (typed columns compared as their
// types).
#include "CompanionRunner.h"
#include "FixtureTables.h"
#include "LoadedCells.h"
#include "SqliteCells.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tabrivel;
using namespace tabrivel::testing;
using std::string_literals::operator""s;

class SqliteLoadTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        for (const FixtureTable& table : WriteFixtureTables(tables_.path().toStdString()))
            fixtures_.push_back(table);
    }

    void scriptLoads_data() { addCombinations(false); }
    void scriptLoads() {
        QFETCH(LoadOptions, load);
        QTemporaryDir work;
        const CompanionResult result = RunCompanionInto(work.path(), arguments(load));
        checkReports(result, load);
        SqliteDatabase db;
        const std::string error = db.runScript(result.script);
        QVERIFY2(error.empty(), error.c_str());
        checkCells(db, load);
    }

    // The sqlite3 shell reads scripts line by line, unlike the library: line breaks
    // inside values must survive it too.
    void scriptThroughTheShellLoads_data() {
        QTest::addColumn<LoadOptions>("load");
        LoadOptions plain;
        plain.dialect = Dialect::Sqlite;
        QTest::addRow("--dialect sqlite") << plain;
        LoadOptions full = plain;
        full.names = full.types = full.nulls = full.trim = full.transaction = true;
        full.batch = 3;
        QTest::addRow("a typed load in batches") << full;
    }
    void scriptThroughTheShellLoads() {
        QFETCH(LoadOptions, load);
        QTemporaryDir work;
        const CompanionResult result = RunCompanionInto(work.path(), arguments(load));
        checkReports(result, load);
        QProcess shell;
        shell.setStandardInputFile(work.filePath("out.sql"));
        shell.setProcessChannelMode(QProcess::MergedChannels);
        shell.start("sqlite3", {"-bail", work.filePath("loaded.db")});
        QVERIFY(shell.waitForFinished(60000));
        QVERIFY2(shell.exitCode() == 0, shell.readAll().constData());
        checkCells(SqliteDatabase(work.filePath("loaded.db").toStdString()), load);
    }

    // Batches and transactions belong to scripts: the library path loads each table in
    // one transaction whatever they say.
    void libraryLoads_data() { addCombinations(true); }
    void libraryLoads() {
        QFETCH(LoadOptions, load);
        QTemporaryDir work;
        const std::string file = work.filePath("loaded.db").toStdString();
        std::vector<std::string> words = arguments(load);
        words.insert(words.begin(), {"--sqlite", file});
        const CompanionResult result = RunCompanionInto(work.path(), words);
        checkReports(result, load);
        QVERIFY(result.script.empty());
        checkCells(SqliteDatabase(file), load);
    }

    void anExistingTableIsKeptUnlessReplaced() {
        QTemporaryDir work;
        const std::string file = work.filePath("loaded.db").toStdString();
        const std::string table = tables_.filePath("cyrillic.dbf").toStdString();
        SqliteDatabase(file).runScript(
            "CREATE TABLE Cyrillic (x); INSERT INTO Cyrillic VALUES (1)");

        const CompanionResult refused =
            RunCompanionInto(work.path(), {"--sqlite", file, "--names", table});
        QCOMPARE(refused.status, 1);
        QVERIFY2(QString::fromStdString(refused.errors).contains("--replace"),
                 refused.errors.c_str());
        QCOMPARE(SqliteDatabase(file).typedRows("cyrillic").size(), std::size_t(1));

        const CompanionResult replaced =
            RunCompanionInto(work.path(), {"--sqlite", file, "--names", "--replace", table});
        QCOMPARE(replaced.status, 0);
        LoadOptions load;
        load.names = true;
        const std::string mismatch =
            FirstMismatch(SqliteDatabase(file).typedRows("cyrillic"), ExpectedLoad(table, load));
        QVERIFY2(mismatch.empty(), mismatch.c_str());
    }

private:
    void addCombinations(bool library) {
        QTest::addColumn<LoadOptions>("load");
        for (LoadOptions load : EveryCombination(Dialect::Sqlite, false)) {
            if (library && (load.transaction || load.batch > 1))
                continue;
            std::string name;
            for (const std::string& word : CommandLine(load))
                name += word + " ";
            QTest::addRow("%s", name.c_str()) << load;
        }
    }

    std::vector<std::string> arguments(const LoadOptions& load) const {
        std::vector<std::string> words = CommandLine(load);
        for (const FixtureTable& table : fixtures_)
            words.push_back(path(table));
        return words;
    }

    std::string path(const FixtureTable& table) const {
        return tables_.filePath(QString::fromStdString(table.fileName)).toStdString();
    }

    // The fixtures' values that a NUL cuts short are reported, and under --types their
    // undecodable numbers and dates.
    static void checkReports(const CompanionResult& result, const LoadOptions& load) {
        QCOMPARE(result.status, 1);
        QVERIFY2(QString::fromStdString(result.errors).contains("a NUL byte ends the value"),
                 result.errors.c_str());
        QCOMPARE(QString::fromStdString(result.errors).count("written as NULL"),
                 load.types ? 4 : 0);
    }

    void checkCells(const SqliteDatabase& db, const LoadOptions& load) const {
        for (const FixtureTable& table : fixtures_) {
            const std::string name = "\"" + (load.names ? "" : "Table1_"s) + table.name + "\"";
            const std::string mismatch =
                FirstMismatch(db.typedRows(name), ExpectedLoad(path(table), load));
            QVERIFY2(mismatch.empty(), (table.name + ": " + mismatch).c_str());
        }
    }

    QTemporaryDir tables_;
    std::vector<FixtureTable> fixtures_;
};

QTEST_GUILESS_MAIN(SqliteLoadTest)
#include "SqliteLoadTest.moc"
