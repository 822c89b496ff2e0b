// Converted scripts loaded into SQLite unchanged: every statement must run on its own,
// and every cell must hold exactly what the reader delivered for it. Catches quoting
// that breaks a statement (or lets a value write SQL), values lost or shifted between
// columns, and text mangled on its way into the script.
#include "FixtureTables.h"
#include "SqliteCells.h"
#include "engine/Conversion.h"
#include "engine/TableError.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

// A name part inside double quotes, its own double quotes doubled.
std::string Doubled(QString part) {
    return part.replace('"', "\"\"").toStdString();
}

} // namespace

class SqliteRoundTripTest : public QObject {
    Q_OBJECT

private slots:
    void everyCellSurvives_data();
    void everyCellSurvives();
    void realTablesSurvive_data();
    void realTablesSurvive();

private:
    void roundTrip(const std::filesystem::path& path, const QString& baseName,
                   const QString& tableName);

    QTemporaryDir dir_;
};

void SqliteRoundTripTest::everyCellSurvives_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QString>("tableName");
    for (const FixtureTable& table : WriteFixtureTables(dir_.path().toStdString())) {
        const QString fileName = QString::fromStdString(table.fileName);
        QTest::addRow("%s", table.name.c_str())
            << fileName << QString::fromStdString(table.name) << "Table1";
        QTest::addRow("%s, quotes and umlauts in the names", table.name.c_str())
            << fileName << "say \"hi\" Gr\u00FC\u00DFe"
            << "T\"1";
    }
}

void SqliteRoundTripTest::everyCellSurvives() {
    QFETCH(QString, fileName);
    QFETCH(QString, baseName);
    QFETCH(QString, tableName);
    roundTrip(dir_.filePath(fileName).toStdString(), baseName, tableName);
}

// Tables written by many programs, from other readers' test folders. A table the
// reader refuses is not this test's business: it only checks what was read.
void SqliteRoundTripTest::realTablesSurvive_data() {
    QTest::addColumn<QString>("path");
    const QString folder = qEnvironmentVariable("TABRIVEL_PEER_FIXTURES");
    if (folder.isEmpty() || !std::filesystem::is_directory(folder.toStdString()))
        QSKIP("the real tables are not at hand");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.toStdString())) {
        const QString name = QString::fromStdString(entry.path().string());
        if (name.endsWith(".dbf", Qt::CaseInsensitive))
            QTest::addRow("%s", qPrintable(name.mid(folder.size() + 1))) << name;
    }
}

void SqliteRoundTripTest::realTablesSurvive() {
    QFETCH(QString, path);
    try {
        ReadAllRecords(path.toStdString());
    } catch (const TableError& error) {
        QSKIP(error.what());
    }
    roundTrip(path.toStdString(), QFileInfo(path).completeBaseName(), "Table1");
}

void SqliteRoundTripTest::roundTrip(const std::filesystem::path& path, const QString& baseName,
                                    const QString& tableName) {
    const auto records = ReadAllRecords(path);

    const std::string table = "\"" + Doubled(tableName) + "_" + Doubled(baseName) + "\"";
    ConversionOptions options;
    options.delimiter = "\"";
    options.tableName = tableName.toStdString();
    SqliteDatabase db;
    QStringList failures;
    ConvertTable(path, baseName.toStdString(), options, ValueFormat(), [&](std::string_view sql) {
        const std::string failure = db.runOne(sql);
        if (!failure.empty())
            failures << QString::fromStdString(failure) + " in " +
                            QString::fromUtf8(sql.data(), static_cast<qsizetype>(sql.size()));
    });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));

    const std::string difference = FirstDifference(db.textCells(table), ExpectedTextCells(records));
    QVERIFY2(difference.empty(), difference.c_str());
}

QTEST_GUILESS_MAIN(SqliteRoundTripTest)
#include "SqliteRoundTripTest.moc"
