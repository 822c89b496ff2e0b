// The fixture tables loaded into a real PostgreSQL server, a throw-away cluster of its
// own, through psql as a user would pipe them: every combination of the options, and
// every cell read back must be what the reader read (typed columns compared as their
// types).
#include "CompanionRunner.h"
#include "FixtureTables.h"
#include "LoadedCells.h"
#include "PostgresCluster.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tabrivel;
using namespace tabrivel::testing;

Q_DECLARE_METATYPE(tabrivel::LoadOptions)

class PostgresLoadTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        cluster_ = std::make_unique<PostgresCluster>();
        QVERIFY2(cluster_->failure().isEmpty(), qPrintable(cluster_->failure()));
        for (const FixtureTable& table : WriteFixtureTables(tables_.path().toStdString()))
            fixtures_.push_back(table);
    }
    void cleanupTestCase() { cluster_.reset(); }

    void everyCellArrives_data() {
        QTest::addColumn<LoadOptions>("load");
        for (const LoadOptions& load : EveryCombination(Dialect::PostgreSql, true)) {
            std::string name;
            for (const std::string& word : CommandLine(load))
                name += word + " ";
            QTest::addRow("%s", name.c_str()) << load;
        }
    }

    void everyCellArrives() {
        QFETCH(LoadOptions, load);
        QCOMPARE(cluster_->execute("SET client_min_messages = warning; DROP SCHEMA public CASCADE; "
                                   "CREATE SCHEMA public"),
                 std::string());
        std::vector<std::string> arguments = CommandLine(load);
        for (const FixtureTable& table : fixtures_)
            arguments.push_back(
                tables_.filePath(QString::fromStdString(table.fileName)).toStdString());
        QTemporaryDir work;
        const CompanionResult result = RunCompanionInto(work.path(), arguments);
        // Under --types the fixtures' undecodable numbers and dates are reported.
        QCOMPARE(result.status, load.types ? 1 : 0);
        QCOMPARE(QString::fromStdString(result.errors).count("written as NULL"),
                 load.types ? 4 : 0);

        const QString psql = cluster_->runScript(work.filePath("out.sql"));
        QVERIFY2(psql.isEmpty(), qPrintable(psql));

        for (const FixtureTable& table : fixtures_) {
            const std::string name = load.names ? table.name : "Table1_" + table.name;
            const auto stored = cluster_->query("SELECT * FROM \"" + name + "\"");
            QVERIFY2(stored.error.empty(), stored.error.c_str());
            const auto path = tables_.filePath(QString::fromStdString(table.fileName));
            const std::string mismatch =
                FirstMismatch(stored.rows, ExpectedLoad(path.toStdString(), load));
            QVERIFY2(mismatch.empty(), (table.name + ": " + mismatch).c_str());
        }
    }

private:
    std::unique_ptr<PostgresCluster> cluster_;
    QTemporaryDir tables_;
    std::vector<FixtureTable> fixtures_;
};

QTEST_GUILESS_MAIN(PostgresLoadTest)
#include "PostgresLoadTest.moc"
