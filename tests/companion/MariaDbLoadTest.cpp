// The fixture tables loaded into a real MariaDB server, a throw-away one of its own,
// through the mariadb client as a user would pipe them: every combination of the
// options for the mysql dialect (backslashes escaped, its types), and every cell read
// back must be what the reader read.
#include "MariaDbServer.h"
#include "ServerLoad.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tabrivel;
using namespace tabrivel::testing;

class MariaDbLoadTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        mariadb_ = std::make_unique<MariaDbServer>();
        QVERIFY2(mariadb_->failure().isEmpty(), qPrintable(mariadb_->failure()));
        fixtures_ = WriteFixtureTables(tables_.path().toStdString());
        server_.empty = [this] {
            return mariadb_->emptyDatabase();
        };
        server_.run = [this](const QString& script) {
            return mariadb_->runScript(script);
        };
        server_.rows = [this](const std::string& table, std::string& error) {
            auto result = mariadb_->tableRows(table);
            error = result.error;
            return result.rows;
        };
    }
    void cleanupTestCase() { mariadb_.reset(); }

    void everyCellArrives_data() { AddCombinationRows(Dialect::MySql, false); }
    void everyCellArrives() {
        QFETCH(LoadOptions, load);
        CheckServerLoad(server_, load, tables_.path(), fixtures_);
    }

private:
    std::unique_ptr<MariaDbServer> mariadb_;
    ServerUnderTest server_;
    QTemporaryDir tables_;
    std::vector<FixtureTable> fixtures_;
};

QTEST_GUILESS_MAIN(MariaDbLoadTest)
#include "MariaDbLoadTest.moc"
