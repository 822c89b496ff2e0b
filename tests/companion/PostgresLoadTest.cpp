// The fixture tables loaded into a real PostgreSQL server, a throw-away cluster of its
// own, through psql as a user would pipe them: every combination of the options, and
// every cell read back must be what the reader read (typed columns compared as their
// types).
#include "PostgresCluster.h"
#include "ServerLoad.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tabrivel;
using namespace tabrivel::testing;

class PostgresLoadTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        cluster_ = std::make_unique<PostgresCluster>();
        QVERIFY2(cluster_->failure().isEmpty(), qPrintable(cluster_->failure()));
        fixtures_ = WriteFixtureTables(tables_.path().toStdString());
        server_.empty = [this] {
            return QString::fromStdString(
                cluster_->execute("SET client_min_messages = warning; "
                                  "DROP SCHEMA public CASCADE; CREATE SCHEMA public"));
        };
        server_.run = [this](const QString& script) {
            return cluster_->runScript(script);
        };
        server_.rows = [this](const std::string& table, std::string& error) {
            auto result = cluster_->query("SELECT * FROM \"" + table + "\"");
            error = result.error;
            return result.rows;
        };
    }
    void cleanupTestCase() { cluster_.reset(); }

    void everyCellArrives_data() { AddCombinationRows(Dialect::PostgreSql, true); }
    void everyCellArrives() {
        QFETCH(LoadOptions, load);
        CheckServerLoad(server_, load, tables_.path(), fixtures_);
    }

private:
    std::unique_ptr<PostgresCluster> cluster_;
    ServerUnderTest server_;
    QTemporaryDir tables_;
    std::vector<FixtureTable> fixtures_;
};

QTEST_GUILESS_MAIN(PostgresLoadTest)
#include "PostgresLoadTest.moc"
