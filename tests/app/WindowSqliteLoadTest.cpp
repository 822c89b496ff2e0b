// The window's own results, as a user would save them, loaded into SQLite statement by
// statement without any change: every sample table and every fixture table, under each
// name delimiter SQLite accepts, must arrive with every cell as the reader read it.
#include "FixtureTables.h"
#include "SqliteCells.h"
#include "WindowFixture.h"
#include "results/ConversionRun.h"
#include "results/ResultsListModel.h"

#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

const QString kSamples = QStringLiteral(TABRIVEL_SAMPLES_DIR);

// Every statement the window produces for one table with the given delimiter.
QStringList WindowResults(const QString& table, const QString& delimiter) {
    WindowFixture fixture;
    const auto window = fixture.open();
    qobject_cast<QLineEdit*>(window->control("Text1"))->setText("Table1");
    qobject_cast<QLineEdit*>(window->control("Text2"))->setText(delimiter);
    qobject_cast<QRadioButton*>(window->control("Option2"))->setChecked(true);
    qobject_cast<QRadioButton*>(window->control("Option7"))->setChecked(true);
    window->conversion().setValueFormat(ValueFormat());
    window->inputList().append(table);
    ClickButton(*window, "PushButton2");
    QStringList rows;
    for (int row = 0; row < window->results().count(); ++row)
        rows << window->results().textAt(row);
    return rows;
}

} // namespace

class WindowSqliteLoadTest : public QObject {
    Q_OBJECT

private slots:
    void resultsLoadUnchanged_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("delimiter");
        QStringList tables;
        for (const QString& name : QDir(kSamples).entryList({"*.DBF"}, QDir::Files))
            tables << kSamples + "/" + name;
        for (const FixtureTable& table : WriteFixtureTables(fixtures_.path().toStdString()))
            tables << fixtures_.filePath(QString::fromStdString(table.fileName));
        QVERIFY(tables.size() > 6);
        for (const QString& table : tables) {
            // The back-quote form is MySQL's (backslash escapes, _utf8mb4 introducers): the
            // hostile load test takes it into MariaDB.
            for (const char* delimiter : {"\"", "[", "'", ""}) {
                QTest::addRow("%s, delimiter <%s>", qPrintable(QFileInfo(table).fileName()),
                              delimiter)
                    << table << QString(delimiter);
            }
        }
    }

    void resultsLoadUnchanged() {
        QFETCH(QString, table);
        QFETCH(QString, delimiter);
        const QStringList statements = WindowResults(table, delimiter);
        QVERIFY(!statements.isEmpty());
        QVERIFY(statements.front().startsWith("CREATE TABLE "));

        SqliteDatabase db;
        for (const QString& statement : statements) {
            const std::string failure = db.runOne(statement.toStdString());
            QVERIFY2(failure.empty(),
                     qPrintable(QString::fromStdString(failure) + " in " + statement));
        }
        const auto records = ReadAllRecords(QFile::encodeName(table).toStdString());
        const std::string name =
            "\"Table1_" + QFileInfo(table).completeBaseName().toStdString() + "\"";
        const std::string difference =
            FirstDifference(db.textCells(name), ExpectedTextCells(records));
        QVERIFY2(difference.empty(), difference.c_str());
    }

private:
    QTemporaryDir fixtures_;
};

QTEST_MAIN(WindowSqliteLoadTest)
#include "WindowSqliteLoadTest.moc"
