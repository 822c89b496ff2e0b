// The window and the companion must write the same text for the same tables: every sample
// table, every fixture table and every peer's table, under each delimiter, with and
// without semicolons and CREATE TABLE, compared byte for byte.
#include "CompanionRunner.h"
#include "FixtureTables.h"
#include "WindowFixture.h"
#include "results/ConversionRun.h"
#include "results/ResultsListModel.h"

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

#include <algorithm>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

const QString kSamples = QStringLiteral(TABRIVEL_SAMPLES_DIR);

struct WindowOptions {
    QString tableName;
    QString delimiter;
    bool semicolon = true;
    bool createTable = true;
    ValueFormat format;
};

// Every table below `folder` (the peers keep theirs in folders of their own), in a fixed
// order.
QStringList TablesUnder(const QString& folder) {
    QStringList tables;
    QDirIterator it(folder, {"*.dbf", "*.DBF"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        tables << it.next();
    std::sort(tables.begin(), tables.end());
    return tables;
}

// The window's results for the tables, in one run, each row ended as the companion ends
// its statements.
std::string WindowText(const QStringList& tables, const WindowOptions& options) {
    WindowFixture fixture;
    const auto window = fixture.open();
    qobject_cast<QLineEdit*>(window->control("Text1"))->setText(options.tableName);
    qobject_cast<QLineEdit*>(window->control("Text2"))->setText(options.delimiter);
    qobject_cast<QRadioButton*>(window->control("Option2"))->setChecked(true);
    qobject_cast<QRadioButton*>(window->control(options.createTable ? "Option7" : "Option6"))
        ->setChecked(true);
    qobject_cast<QCheckBox*>(window->control("Check3"))->setChecked(options.semicolon);
    window->conversion().setValueFormat(options.format);
    for (const QString& table : tables)
        window->inputList().append(table);
    ClickButton(*window, "PushButton2");
    std::string text;
    for (int row = 0; row < window->results().count(); ++row)
        text.append(window->results().utf8At(row)).append("\r\n");
    return text;
}

std::string CompanionText(const QStringList& tables, const WindowOptions& options) {
    std::vector<std::string> arguments = {"--table-name", options.tableName.toStdString(),
                                          "--delimiter=" + options.delimiter.toStdString()};
    if (!options.semicolon)
        arguments.push_back("--no-semicolon");
    if (!options.createTable)
        arguments.push_back("--insert-only");
    for (const QString& table : tables)
        arguments.push_back(QFile::encodeName(table).toStdString());
    QTemporaryDir folder;
    return RunCompanionInto(folder.path(), arguments, options.format).script;
}

// Where two texts part, with a little of each around it.
std::string FirstDifference(const std::string& window, const std::string& companion) {
    const auto [w, c] =
        std::mismatch(window.begin(), window.end(), companion.begin(), companion.end());
    if (w == window.end() && c == companion.end())
        return {};
    const std::size_t at = static_cast<std::size_t>(w - window.begin());
    const std::size_t from = at < 80 ? 0 : at - 80;
    return "byte " + std::to_string(at) + ": window \"" + window.substr(from, 160) +
           "\", companion \"" + companion.substr(from, 160) + "\"";
}

} // namespace

class WindowCompanionTextTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        tables_ = TablesUnder(kSamples);
        for (const FixtureTable& table : WriteFixtureTables(fixtures_.path().toStdString()))
            tables_ << fixtures_.filePath(QString::fromStdString(table.fileName));
        const QString peers = qEnvironmentVariable("TABRIVEL_PEER_FIXTURES");
        if (!peers.isEmpty() && QDir(peers).exists())
            tables_ << TablesUnder(peers);
        QVERIFY(tables_.size() > 10);
    }

    void sameTextForEveryTable_data() {
        QTest::addColumn<QString>("tableName");
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<bool>("semicolon");
        QTest::addColumn<bool>("createTable");
        QTest::addColumn<QString>("locale");
        for (const char* delimiter : {"'", "\"", "[", "`", ""}) {
            for (const bool semicolon : {true, false}) {
                for (const bool createTable : {true, false}) {
                    // A table name that must be escaped inside its delimiters now and then.
                    const QString name = semicolon == createTable ? "Table1" : "O'Neil]`\"s";
                    QTest::addRow("<%s>%s%s", delimiter, semicolon ? ", ;" : "",
                                  createTable ? ", CREATE TABLE" : "")
                        << name << QString(delimiter) << semicolon << createTable << "C";
                }
            }
        }
        // Numbers and dates in a locale's own forms, as the user's system gives them.
        QTest::addRow("<'>, ;, CREATE TABLE, German numbers and dates")
            << "Table1"
            << "'" << true << true << "de_DE";
    }

    void sameTextForEveryTable() {
        QFETCH(QString, tableName);
        QFETCH(QString, delimiter);
        QFETCH(bool, semicolon);
        QFETCH(bool, createTable);
        QFETCH(QString, locale);
        const WindowOptions options{tableName, delimiter, semicolon, createTable,
                                    ValueFormat::fromLocale(QLocale(locale))};
        const std::string window = WindowText(tables_, options);
        QVERIFY(window.find("INSERT INTO ") != std::string::npos);
        QCOMPARE(window.find("CREATE TABLE ") != std::string::npos, createTable);
        const std::string difference = FirstDifference(window, CompanionText(tables_, options));
        QVERIFY2(difference.empty(), difference.c_str());
    }

private:
    QTemporaryDir fixtures_;
    QStringList tables_;
};

QTEST_MAIN(WindowCompanionTextTest)
#include "WindowCompanionTextTest.moc"
