// The loading forms as database users run them: one option per database, names they can
// query unquoted, re-runs that never fill a table twice, the direct PostgreSQL route and a
// verification that catches a cell the database changed. Real servers throughout: a
// throw-away PostgreSQL cluster, the sqlite3 shell and the SQLite library.
#include "ClientRun.h"
#include "CompanionRunner.h"
#include "PostgresCluster.h"
#include "samples/DbfWriter.h"

#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <chrono>
#include <memory>
#include <thread>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

struct Run {
    CompanionResult result;
    QString script; // the script file, when one was written
};

Run Convert(const QTemporaryDir& dir, std::vector<std::string> arguments) {
    arguments.push_back(dir.filePath("Amounts.dbf").toStdString());
    Run run{RunCompanionInto(dir.path(), arguments), dir.filePath("out.sql")};
    return run;
}

// One value from an SQLite database, or the error.
std::string SqliteValue(const QString& database, const std::string& sql) {
    sqlite3* raw = nullptr;
    sqlite3_open(database.toStdString().c_str(), &raw);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, sqlite3_close);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(raw, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        return sqlite3_errmsg(raw);
    std::string value = sqlite3_step(statement) == SQLITE_ROW
                            ? reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))
                            : "no row";
    sqlite3_finalize(statement);
    return value;
}

} // namespace

class LoadingFormsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        postgres_ = std::make_unique<PostgresCluster>();
        QVERIFY2(postgres_->failure().isEmpty(), qPrintable(postgres_->failure()));
        // Upper-case names and padded text, as dBase stores them.
        DbfWriter w(0x03, 0x03);
        w.addField("NAME", 'C', 8).addField("AMOUNT", 'N', 8, 2);
        w.addRecord({"Ann", "   12.50"}).addRecord({"Bob", "    3.00"}).addRecord({"Cy", ""});
        w.write(dir_.filePath("Amounts.dbf").toStdString());
        conninfo_ = postgres_->conninfo();
    }
    void cleanupTestCase() { postgres_.reset(); }

    // `--to postgresql | psql`, run again: psql stops at the CREATE that fails, so the
    // table keeps its rows; --replace loads it anew, --append adds to it.
    void postgresqlScriptsRunAgainSafely() {
        postgres_->execute("DROP TABLE IF EXISTS amounts");
        QCOMPARE(psql(Convert(dir_, {"--to", "postgresql"})).succeeded(), true);
        QCOMPARE(count("amounts"), std::string("3"));
        // Lower-case names, trailing blanks trimmed: queried as a user would type it.
        const auto ann = postgres_->query("select name from amounts where amount = 12.5");
        QVERIFY2(ann.error.empty(), ann.error.c_str());
        QCOMPARE(*ann.rows.at(0).at(0), std::string("Ann"));
        const ClientRun again = psql(Convert(dir_, {"--to", "postgresql"}));
        QVERIFY(!again.succeeded());
        QVERIFY2(again.errors.contains("already exists"), qPrintable(again.describe()));
        QCOMPARE(count("amounts"), std::string("3"));
        QVERIFY(psql(Convert(dir_, {"--to", "postgresql", "--replace"})).succeeded());
        QCOMPARE(count("amounts"), std::string("3"));
        QVERIFY(psql(Convert(dir_, {"--to", "postgresql", "--append"})).succeeded());
        QCOMPARE(count("amounts"), std::string("6"));
        QVERIFY(
            psql(Convert(dir_, {"--to", "postgresql", "--replace", "--schema-only"})).succeeded());
        QCOMPARE(count("amounts"), std::string("0"));
        // Batches of INSERTs instead of COPY: the same safety.
        QVERIFY(!psql(Convert(dir_, {"--to", "postgresql", "--batch", "2"})).succeeded());
        QCOMPARE(count("amounts"), std::string("0"));
    }

    void postgresqlSchemaTableAndCase() {
        const Run run = Convert(
            dir_, {"--to", "postgresql", "--schema", "Imports", "--table", "Money", "--keep-case"});
        QVERIFY(psql(run).succeeded());
        QCOMPARE(count("\"Imports\".\"Money\""), std::string("3"));
        const auto column =
            postgres_->query("select \"AMOUNT\" from \"Imports\".\"Money\" limit 1");
        QVERIFY2(column.error.empty(), column.error.c_str());
        const Run folded = Convert(dir_, {"--to", "postgresql", "--schema", "Imports"});
        QVERIFY(psql(folded).succeeded());
        QCOMPARE(count("imports.amounts"), std::string("3"));
    }

    // The same choices straight through libpq, each table read back and compared.
    void directRouteIntoPostgresql() {
        postgres_->execute("DROP SCHEMA IF EXISTS direct CASCADE");
        const std::vector<std::string> route{"--postgresql", conninfo_, "--schema", "direct",
                                             "--verify"};
        CompanionResult first = Convert(dir_, route).result;
        QCOMPARE(first.status, 0);
        QVERIFY2(QString::fromStdString(first.errors).contains("verified 3 rows"),
                 first.errors.c_str());
        QCOMPARE(count("direct.amounts"), std::string("3"));
        CompanionResult again = Convert(dir_, route).result;
        QCOMPARE(again.status, 1);
        QVERIFY2(QString::fromStdString(again.errors).contains("already has a table"),
                 again.errors.c_str());
        auto with = [&route](std::string option) {
            std::vector<std::string> words = route;
            words.push_back(std::move(option));
            return words;
        };
        QCOMPARE(Convert(dir_, with("--append")).result.status, 0);
        QCOMPARE(count("direct.amounts"), std::string("6"));
        QCOMPARE(Convert(dir_, with("--replace")).result.status, 0);
        QCOMPARE(count("direct.amounts"), std::string("3"));
        const auto trimmed = postgres_->query("select name from direct.amounts where amount = 3");
        QCOMPARE(*trimmed.rows.at(0).at(0), std::string("Bob"));
        QCOMPARE(Convert(dir_, {"--postgresql", conninfo_, "--schema", "direct", "--table", "empty",
                                "--schema-only"})
                     .result.status,
                 0);
        QCOMPARE(count("direct.empty"), std::string("0"));
        const CompanionResult unreachable =
            Convert(dir_, {"--postgresql", "host=/nonexistent dbname=x"}).result;
        QCOMPARE(unreachable.status, 1);
        QVERIFY(QString::fromStdString(unreachable.errors).contains("cannot connect"));
    }

    // A trigger changes a value as it is stored: the load says nothing of it, the
    // verification does, and the exit status tells.
    void verificationCatchesAChangedCell() {
        postgres_->execute("DROP SCHEMA IF EXISTS changed CASCADE");
        QCOMPARE(Convert(dir_, {"--postgresql", conninfo_, "--schema", "changed"}).result.status,
                 0);
        QVERIFY(postgres_
                    ->execute("CREATE FUNCTION changed.bump() RETURNS trigger AS $$ BEGIN "
                              "NEW.amount := NEW.amount + 1; RETURN NEW; END $$ LANGUAGE plpgsql;"
                              "CREATE TRIGGER bump BEFORE INSERT ON changed.amounts FOR EACH ROW "
                              "EXECUTE FUNCTION changed.bump()")
                    .empty());
        const CompanionResult pg = Convert(dir_, {"--postgresql", conninfo_, "--schema", "changed",
                                                  "--append", "--verify"})
                                       .result;
        QCOMPARE(pg.status, 1);
        QVERIFY2(QString::fromStdString(pg.errors).contains("record 1, field amount"),
                 pg.errors.c_str());

        const QString database = dir_.filePath("changed.db");
        QCOMPARE(
            Convert(dir_, {"--to", "sqlite", "--sqlite", database.toStdString()}).result.status, 0);
        SqliteValue(database, "CREATE TRIGGER bump AFTER INSERT ON Amounts BEGIN UPDATE Amounts "
                              "SET NAME = 'Zed' WHERE rowid = NEW.rowid; END");
        const CompanionResult sqlite = Convert(dir_, {"--sqlite", database.toStdString(), "--to",
                                                      "sqlite", "--append", "--verify"})
                                           .result;
        QCOMPARE(sqlite.status, 1);
        QVERIFY2(QString::fromStdString(sqlite.errors).contains("the database \"Zed\""),
                 sqlite.errors.c_str());
    }

    // The sqlite3 shell goes on after an error unless told: a --to sqlite script tells it.
    void sqliteScriptsRunAgainSafely() {
        const QString database = dir_.filePath("shell.db");
        const Run run = Convert(dir_, {"--to", "sqlite"});
        QVERIFY(sqlite3Shell(database, run).succeeded());
        QCOMPARE(SqliteValue(database, "SELECT count(*) FROM Amounts"), std::string("3"));
        QVERIFY(!sqlite3Shell(database, run).succeeded());
        QCOMPARE(SqliteValue(database, "SELECT count(*) FROM Amounts"), std::string("3"));
        QVERIFY(sqlite3Shell(database, Convert(dir_, {"--to", "sqlite", "--append"})).succeeded());
        QCOMPARE(SqliteValue(database, "SELECT count(*) FROM Amounts"), std::string("6"));
    }

    // Another program holding the database delays the load; it does not fail it.
    void sqliteWaitsForALock() {
        const QString database = dir_.filePath("busy.db");
        sqlite3* raw = nullptr;
        sqlite3_open(database.toStdString().c_str(), &raw);
        const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> holder(raw, sqlite3_close);
        QCOMPARE(sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        const CompanionResult refused =
            Convert(dir_, {"--sqlite", database.toStdString(), "--busy-timeout", "0"}).result;
        QCOMPARE(refused.status, 1);
        QVERIFY2(QString::fromStdString(refused.errors).contains("locked"), refused.errors.c_str());
        std::thread release([raw] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr);
        });
        const CompanionResult waited = Convert(dir_, {"--sqlite", database.toStdString()}).result;
        release.join();
        QCOMPARE(waited.status, 0);
        QCOMPARE(SqliteValue(database, "SELECT count(*) FROM Table1_Amounts"), std::string("3"));
    }

    // A memo holding NUL bytes (a picture kept as text) goes into SQLite as its bytes:
    // nothing is lost, so nothing is reported, and the verification agrees.
    void sqliteKeepsAMemoWithNulBytes() {
        QTemporaryDir dir;
        const std::string picture("GIF89a\x01\0\x01\0;text", 15);
        DbfWriter w(0x83);
        w.addField("NOTE", 'M', 10);
        w.addRecord({MemoPointer(w.addMemo(picture), 10)});
        w.write(dir.filePath("Amounts.dbf").toStdString(), ".dbt");
        const QString database = dir.filePath("memo.db");
        const CompanionResult result =
            Convert(dir, {"--to", "sqlite", "--sqlite", database.toStdString(), "--verify"}).result;
        QVERIFY2(result.status == 0, result.errors.c_str());
        QVERIFY2(QString::fromStdString(result.errors).contains("verified 1 rows"),
                 result.errors.c_str());
        const std::string stored = SqliteValue(database, "SELECT hex(note) FROM amounts");
        QVERIFY2(stored == QByteArray::fromStdString(picture).toHex().toUpper().toStdString(),
                 stored.c_str());
    }

private:
    ClientRun psql(const Run& run) const {
        if (run.result.status != 0)
            return {true, run.result.status, {}, QString::fromStdString(run.result.errors)};
        return PipeScriptInto(postgres_->tool("psql"),
                              QStringList{"-X", "-q"} + postgres_->clientArguments(), run.script,
                              dir_.path());
    }
    ClientRun sqlite3Shell(const QString& database, const Run& run) const {
        return PipeScriptInto("sqlite3", {database}, run.script, dir_.path());
    }
    std::string count(const std::string& table) const {
        const auto result = postgres_->query("select count(*) from " + table);
        return result.error.empty() ? *result.rows.at(0).at(0) : result.error;
    }

    std::unique_ptr<PostgresCluster> postgres_;
    QTemporaryDir dir_;
    std::string conninfo_;
};

QTEST_GUILESS_MAIN(LoadingFormsTest)
#include "LoadingFormsTest.moc"
