#include "CompanionArguments.h"

#include <QTest>

using namespace tabrivel;

namespace {

ParsedArguments Parse(std::initializer_list<std::string> words) {
    const std::vector<std::string> arguments(words);
    return ParseCompanionArguments(arguments);
}

} // namespace

class CompanionArgumentsTest : public QObject {
    Q_OBJECT

private slots:
    void defaultsAreTheWindowsDefaults() {
        const ParsedArguments parsed = Parse({"a.dbf"});
        QVERIFY(parsed.error.empty());
        const ConversionOptions& options = parsed.arguments.options;
        QCOMPARE(options.tableName, std::string("Table1"));
        QCOMPARE(options.delimiter, std::string("'"));
        QVERIFY(options.semicolon);
        QVERIFY(options.createTable);
        QVERIFY(options.open.encoding.empty());
        QVERIFY(parsed.arguments.outputFile.empty());
    }

    void everyOptionIsTaken() {
        const ParsedArguments parsed =
            Parse({"--table-name", "", "--delimiter", "[", "--no-semicolon", "--insert-only",
                   "--encoding", "cp866", "-o", "out.sql", "a.dbf", "b.dbf"});
        QVERIFY(parsed.error.empty());
        const CompanionArguments& arguments = parsed.arguments;
        QCOMPARE(arguments.options.tableName, std::string());
        QCOMPARE(arguments.options.delimiter, std::string("["));
        QVERIFY(!arguments.options.semicolon);
        QVERIFY(!arguments.options.createTable);
        QCOMPARE(arguments.options.open.encoding, std::string("cp866"));
        QCOMPARE(arguments.outputFile, std::string("out.sql"));
        QCOMPARE(arguments.tables, (std::vector<std::string>{"a.dbf", "b.dbf"}));
    }

    void tablesAfterDoubleDashMayStartWithADash() {
        const ParsedArguments parsed = Parse({"--", "-odd.dbf", "--help"});
        QVERIFY(parsed.error.empty());
        QVERIFY(!parsed.arguments.help);
        QCOMPARE(parsed.arguments.tables, (std::vector<std::string>{"-odd.dbf", "--help"}));
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addRow("no table") << QStringList{"--insert-only"};
        QTest::addRow("unknown option") << QStringList{"--frobnicate", "a.dbf"};
        QTest::addRow("value missing at the end") << QStringList{"a.dbf", "--delimiter"};
        QTest::addRow("output missing") << QStringList{"a.dbf", "-o"};
    }
    void usageErrors() {
        QFETCH(QStringList, words);
        std::vector<std::string> arguments;
        for (const QString& word : words)
            arguments.push_back(word.toStdString());
        QVERIFY(!ParseCompanionArguments(arguments).error.empty());
    }

    void helpNeedsNoTable() {
        const ParsedArguments parsed = Parse({"--help"});
        QVERIFY(parsed.error.empty());
        QVERIFY(parsed.arguments.help);
    }
};

QTEST_GUILESS_MAIN(CompanionArgumentsTest)
#include "CompanionArgumentsTest.moc"
