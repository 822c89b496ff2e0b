#include "companion/CompanionArguments.h"
#include "companion/Companion.h"

#include "fs/FolderFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace tabrivel;

namespace {

ParsedArguments Parse(std::initializer_list<std::string> words) {
    const std::vector<std::string> arguments(words);
    return ParseCompanionArguments(arguments);
}

// The parser's error for the words of a test row.
std::string ErrorOf(const QStringList& words) {
    std::vector<std::string> arguments;
    for (const QString& word : words)
        arguments.push_back(word.toStdString());
    return ParseCompanionArguments(arguments).error;
}

} // namespace

class CompanionArgumentsTest : public QObject {
    Q_OBJECT

private slots:
    void defaultsAreTheWindowsDefaults() {
        const ParsedArguments parsed = Parse({"a.dbf"});
        QVERIFY2(parsed.error.empty(), parsed.error.c_str());
        const ConversionOptions& options = parsed.arguments.options;
        QCOMPARE(options.tableName, std::string("Table1"));
        QCOMPARE(options.delimiter, std::string("'"));
        QVERIFY(options.semicolon);
        QVERIFY(options.createTable);
        QVERIFY(options.open.encoding.empty());
        QVERIFY(parsed.arguments.toStandardOutput());
        const LoadOptions& load = parsed.arguments.load;
        QVERIFY(load.dialect == Dialect::Window);
        QVERIFY(!load.transaction && !load.nulls && !load.names && !load.types && !load.trim &&
                !load.iso && !load.copy && !load.delimiterGiven);
        QCOMPARE(load.batch, 1);
        QVERIFY(parsed.arguments.progress == ProgressMode::WhenTerminal);
    }

    void everyOptionIsTaken() {
        const ParsedArguments parsed =
            Parse({"--table-name",  "",           "--delimiter",   "[",       "--no-semicolon",
                   "--insert-only", "--encoding", "cp866",         "-o",      "out.sql",
                   "--dialect",     "mysql",      "--transaction", "--batch", "500",
                   "--null",        "--names",    "--types",       "--trim",  "--iso",
                   "--no-progress", "a.dbf",      "b.dbf"});
        QVERIFY2(parsed.error.empty(), parsed.error.c_str());
        const CompanionArguments& arguments = parsed.arguments;
        QCOMPARE(arguments.options.tableName, std::string());
        QCOMPARE(arguments.options.delimiter, std::string("["));
        QVERIFY(!arguments.options.semicolon);
        QVERIFY(!arguments.options.createTable);
        QCOMPARE(arguments.options.open.encoding, std::string("cp866"));
        QCOMPARE(arguments.outputFile, std::string("out.sql"));
        QCOMPARE(arguments.tables, (std::vector<std::string>{"a.dbf", "b.dbf"}));
        const LoadOptions& load = arguments.load;
        QVERIFY(load.dialect == Dialect::MySql);
        QVERIFY(load.delimiterGiven && load.transaction && load.nulls && load.names && load.types &&
                load.trim && load.iso);
        QCOMPARE(load.batch, 500);
        QVERIFY(arguments.progress == ProgressMode::Never);
    }

    // Both spellings of a value, the long name of -o, and "-" for standard output.
    void valuesWithEqualsOrApart() {
        const ParsedArguments joined =
            Parse({"--delimiter=\"", "--output=x.sql", "--batch=7", "--dialect=sqlite", "t.dbf"});
        QVERIFY2(joined.error.empty(), joined.error.c_str());
        QCOMPARE(joined.arguments.options.delimiter, std::string("\""));
        QCOMPARE(joined.arguments.outputFile, std::string("x.sql"));
        QCOMPARE(joined.arguments.load.batch, 7);
        const ParsedArguments empty = Parse({"--delimiter=", "-o", "-", "t.dbf"});
        QVERIFY2(empty.error.empty(), empty.error.c_str());
        QCOMPARE(empty.arguments.options.delimiter, std::string());
        QVERIFY(empty.arguments.toStandardOutput());
    }

    void copyMeansPostgreSql() {
        const ParsedArguments parsed = Parse({"--copy", "t.dbf"});
        QVERIFY2(parsed.error.empty(), parsed.error.c_str());
        QVERIFY(parsed.arguments.load.copy);
        QVERIFY(parsed.arguments.load.dialect == Dialect::PostgreSql);
    }

    void sqliteTargetWritesForSqlite() {
        const ParsedArguments parsed = Parse({"--sqlite", "my.db", "--replace", "t.dbf"});
        QVERIFY2(parsed.error.empty(), parsed.error.c_str());
        QCOMPARE(parsed.arguments.sqliteFile, std::string("my.db"));
        QVERIFY(parsed.arguments.load.existing == ExistingTable::Replace);
        QVERIFY(parsed.arguments.load.dialect == Dialect::Sqlite);
    }

    // One option gives a database's whole loading form; the finer ones still shape it.
    void toGivesTheLoadingForm() {
        const ParsedArguments pg = Parse({"--to", "postgresql", "t.dbf"});
        QVERIFY2(pg.error.empty(), pg.error.c_str());
        const LoadOptions& load = pg.arguments.load;
        QVERIFY(load.dialect == Dialect::PostgreSql);
        QVERIFY(load.names && load.types && load.nulls && load.trim && load.transaction);
        QVERIFY(load.copy);
        QVERIFY(load.foldCase);
        const ParsedArguments mysql = Parse({"--to", "mysql", "t.dbf"});
        QVERIFY(!mysql.arguments.load.copy && mysql.arguments.load.batch == 500);
        QVERIFY(!mysql.arguments.load.foldCase);
        const ParsedArguments finer =
            Parse({"--to", "postgresql", "--batch", "20", "--no-trim", "--keep-case", "t.dbf"});
        QVERIFY2(finer.error.empty(), finer.error.c_str());
        QVERIFY(!finer.arguments.load.copy && finer.arguments.load.batch == 20);
        QVERIFY(!finer.arguments.load.trim && !finer.arguments.load.foldCase);
        const ParsedArguments direct = Parse({"--postgresql", "dbname=x", "--verify", "t.dbf"});
        QVERIFY2(direct.error.empty(), direct.error.c_str());
        QVERIFY(direct.arguments.load.names && !direct.arguments.load.copy);
        QVERIFY(direct.arguments.verify);
        const ParsedArguments append = Parse({"--append", "--to", "sqlite", "t.dbf"});
        QVERIFY(append.arguments.load.existing == ExistingTable::Append);
        QVERIFY(!append.arguments.options.createTable);
        QVERIFY(!Parse({"--schema-only", "t.dbf"}).arguments.load.rows);
    }

    void tablesAfterDoubleDashMayStartWithADash() {
        const ParsedArguments parsed = Parse({"--", "-odd.dbf", "--help"});
        QVERIFY2(parsed.error.empty(), parsed.error.c_str());
        QVERIFY(!parsed.arguments.help);
        QCOMPARE(parsed.arguments.tables, (std::vector<std::string>{"-odd.dbf", "--help"}));
    }

    // Files are named by the bytes given, whatever they are; names that go into
    // statements are UTF-8 text, a byte that is no UTF-8 read as U+FFFD.
    void filesKeepTheirBytesTextBecomesUtf8() {
        const ParsedArguments parsed =
            Parse({"--table-name", "T\xE9", "-o", "out\xFF.sql", "caf\xE9.dbf", "\xED\xA0\x80.dbf",
                   "caf\xC3\xA9.dbf"});
        QVERIFY2(parsed.error.empty(), parsed.error.c_str());
        QCOMPARE(parsed.arguments.tables,
                 (std::vector<std::string>{"caf\xE9.dbf", "\xED\xA0\x80.dbf", "caf\xC3\xA9.dbf"}));
        QCOMPARE(parsed.arguments.outputFile, std::string("out\xFF.sql"));
        QCOMPARE(parsed.arguments.options.tableName, std::string("T\xEF\xBF\xBD"));
        QCOMPARE(Parse({"--sqlite", "db\xE9", "t.dbf"}).arguments.sqliteFile,
                 std::string("db\xE9"));
        const ParsedArguments unknown = Parse({"--odd\xE9", "t.dbf"});
        QVERIFY(unknown.error.find("odd\xEF\xBF\xBD") != std::string::npos);
    }

    void baseNamesAreUtf8_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("base");
        QTest::addRow("latin-1 byte")
            << QByteArray("dir/caf\xE9.dbf") << QByteArray("caf\xEF\xBF\xBD");
        QTest::addRow("utf-8 kept") << QByteArray("caf\xC3\xA9.dbf") << QByteArray("caf\xC3\xA9");
        QTest::addRow("encoded surrogate")
            << QByteArray("\xED\xA0\x80.dbf") << QByteArray("\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
        QTest::addRow("folder that is no utf-8")
            << QByteArray("d\xE9/x.y.dbf") << QByteArray("x.y");
    }
    void baseNamesAreUtf8() {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, base);
        QCOMPARE(QByteArray::fromStdString(TableBaseName(path.toStdString())), base);
    }

    void usageErrors_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("named");
        QTest::addRow("no table") << QStringList{"--insert-only"} << "no table";
        QTest::addRow("unknown option") << QStringList{"--frobnicate", "a.dbf"} << "frobnicate";
        QTest::addRow("value missing at the end")
            << QStringList{"a.dbf", "--delimiter"} << "delimiter";
        QTest::addRow("output missing") << QStringList{"a.dbf", "-o"} << "o";
        QTest::addRow("unknown dialect") << QStringList{"--dialect", "oracle", "a.dbf"} << "oracle";
        QTest::addRow("batch of nothing") << QStringList{"--batch", "0", "a.dbf"} << "--batch";
        QTest::addRow("batch not a number") << QStringList{"--batch", "ten", "a.dbf"} << "--batch";
        QTest::addRow("batch past SQL Server's limit")
            << QStringList{"--dialect", "sqlserver", "--batch", "1001", "a.dbf"} << "1000";
        QTest::addRow("copy for another database")
            << QStringList{"--dialect", "mysql", "--copy", "a.dbf"} << "--copy";
        QTest::addRow("batch with copy")
            << QStringList{"--copy", "--batch", "5", "a.dbf"} << "--batch";
        QTest::addRow("replace and append")
            << QStringList{"--replace", "--append", "a.dbf"} << "--append";
        QTest::addRow("unknown database for --to")
            << QStringList{"--to", "oracle", "a.dbf"} << "oracle";
        QTest::addRow("--to and --dialect disagree")
            << QStringList{"--to", "mysql", "--dialect", "sqlite", "a.dbf"} << "--dialect";
        QTest::addRow("one table name for two tables")
            << QStringList{"--table", "t", "a.dbf", "b.dbf"} << "--table";
        QTest::addRow("schema in SQLite")
            << QStringList{"--to", "sqlite", "--schema", "s", "a.dbf"} << "--schema";
        QTest::addRow("verify a script") << QStringList{"--verify", "a.dbf"} << "--verify";
        QTest::addRow("busy timeout without SQLite")
            << QStringList{"--busy-timeout", "10", "a.dbf"} << "--busy-timeout";
        QTest::addRow("two databases")
            << QStringList{"--sqlite", "x.db", "--postgresql", "dbname=x", "a.dbf"}
            << "--postgresql";
        QTest::addRow("direct route to another database")
            << QStringList{"--postgresql", "dbname=x", "--to", "mysql", "a.dbf"} << "--postgresql";
        QTest::addRow("database and script file")
            << QStringList{"--sqlite", "x.db", "-o", "x.sql", "a.dbf"} << "--sqlite";
        QTest::addRow("database for another dialect")
            << QStringList{"--sqlite", "x.db", "--dialect", "mysql", "a.dbf"} << "--sqlite";
        QTest::addRow("no jobs") << QStringList{"--jobs", "0", "a.dbf"} << "--jobs";
        QTest::addRow("jobs below nothing") << QStringList{"--jobs=-2", "a.dbf"} << "--jobs";
        QTest::addRow("jobs not a number") << QStringList{"-j", "two", "a.dbf"} << "--jobs";
        QTest::addRow("encoding no table is read in")
            << QStringList{"--encoding", "klingon", "a.dbf"} << "klingon";
        QTest::addRow("encoding that carries state")
            << QStringList{"--encoding=UTF-7", "a.dbf"} << "carries state";
        QTest::addRow("standard input twice") << QStringList{"-", "a.dbf", "-"} << "twice";
    }
    void usageErrors() {
        QFETCH(QStringList, words);
        QFETCH(QString, named);
        const std::string error = ErrorOf(words);
        QVERIFY(!error.empty());
        QVERIFY2(QString::fromStdString(error).contains(named), error.c_str());
    }

    // One per core unless told; both spellings take a count.
    void jobsAreCounted() {
        QVERIFY(Parse({"a.dbf"}).arguments.jobs >= 1);
        QCOMPARE(Parse({"--jobs", "3", "a.dbf"}).arguments.jobs, 3);
        QCOMPARE(Parse({"-j", "1", "a.dbf"}).arguments.jobs, 1);
        QCOMPARE(Parse({"--jobs=12", "a.dbf"}).arguments.jobs, 12);
    }

    // Values joined to their one-letter options, and "-" as a table.
    void shortOptionsTakeTheirValuesJoined() {
        const ParsedArguments parsed = Parse({"-j4", "-oout.sql", "--deleted", "-"});
        QVERIFY2(parsed.error.empty(), parsed.error.c_str());
        QCOMPARE(parsed.arguments.jobs, 4);
        QCOMPARE(parsed.arguments.outputFile, std::string("out.sql"));
        QVERIFY(parsed.arguments.options.open.deleted);
        QCOMPARE(parsed.arguments.tables, std::vector<std::string>{"-"});
        QVERIFY(!Parse({"a.dbf"}).arguments.options.open.deleted);
        QCOMPARE(Parse({"--encoding", "1251", "a.dbf"}).error, std::string());
    }

    void mistypedOptionsGetASuggestion_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("suggestion");
        QTest::addRow("letter left out")
            << QStringList{"--dialet", "mysql", "a.dbf"} << "--dialect";
        QTest::addRow("letters swapped") << QStringList{"--stirct", "a.dbf"} << "--strict";
        QTest::addRow("one letter too many")
            << QStringList{"--no-semicolons", "a.dbf"} << "--no-semicolon";
        QTest::addRow("with its value") << QStringList{"--bacth=5", "a.dbf"} << "--batch";
        QTest::addRow("one dash") << QStringList{"-names", "a.dbf"} << "--names";
        QTest::addRow("after a value that looks like an option")
            << QStringList{"--delimiter", "-", "--tpyes", "a.dbf"} << "--types";
        QTest::addRow("after a short option's value")
            << QStringList{"-o", "-weird.sql", "--inserts-only", "a.dbf"} << "--insert-only";
        QTest::addRow("nothing near") << QStringList{"--frobnicate", "a.dbf"} << "";
    }
    void mistypedOptionsGetASuggestion() {
        QFETCH(QStringList, words);
        QFETCH(QString, suggestion);
        const QString error = QString::fromStdString(ErrorOf(words));
        QVERIFY(!error.isEmpty());
        if (suggestion.isEmpty())
            QVERIFY2(!error.contains("Did you mean"), qPrintable(error));
        else
            QVERIFY2(error.endsWith(" Did you mean " + suggestion + "?"), qPrintable(error));
    }

    // A folder stands for the tables of its tree as the window's folder command finds them:
    // "~" copies and dot-files left out, the folders below taken too, files kept in place.
    void foldersStandForTheirTables() {
        QTemporaryDir dir;
        const QDir root(dir.path());
        QVERIFY(root.mkpath("data/sub") && root.mkpath("empty/below"));
        for (const char* name : {"data/b.dbf", "data/A.DBF", "data/~a.dbf", "data/.hidden.dbf",
                                 "data/notes.txt", "data/sub/c.dbf", "empty/below/x.txt"})
            QVERIFY(QFile(root.filePath(name)).open(QIODevice::WriteOnly));
        const std::string data = root.filePath("data").toStdString();
        const ParsedArguments parsed = Parse({"first.dbf", data, "-"});
        QVERIFY2(parsed.error.empty(), parsed.error.c_str());
        std::vector<std::string> expected{"first.dbf"};
        for (const QString& file : FilesOfFolderTree(root.filePath("data"), "*.dbf"))
            expected.push_back(file.toStdString());
        expected.push_back("-");
        QCOMPARE(parsed.arguments.tables, expected);
        std::vector<std::string> found(expected.begin() + 1, expected.end() - 1);
        std::ranges::sort(found);
        QCOMPARE(found,
                 (std::vector<std::string>{data + "/A.DBF", data + "/b.dbf", data + "/sub/c.dbf"}));

        const ParsedArguments texts = Parse({"--extension", "txt", data});
        QCOMPARE(texts.arguments.tables, std::vector<std::string>{data + "/notes.txt"});
        const std::string error = Parse({root.filePath("empty").toStdString()}).error;
        QVERIFY2(error.find("empty: no table in this folder or below it") != std::string::npos,
                 error.c_str());
    }

    void helpAndVersionNeedNoTable() {
        QVERIFY(Parse({"--help"}).error.empty());
        QVERIFY(Parse({"--help"}).arguments.help);
        QVERIFY(Parse({"-h"}).arguments.help);
        QVERIFY(Parse({"--version"}).error.empty());
        QVERIFY(Parse({"--version"}).arguments.version);
    }

    void usageNamesEveryOption() {
        const QString usage = QString::fromStdString(CompanionUsage());
        for (const char* option :
             {"--table-name", "--delimiter", "--no-semicolon", "--insert-only", "--encoding",
              "--output",     "--dialect",   "--transaction",  "--batch",       "--null",
              "--names",      "--types",     "--trim",         "--iso",         "--copy",
              "--sqlite",     "--replace",   "--jobs",         "--progress",    "--strict",
              "--deleted",    "--extension"})
            QVERIFY2(usage.contains(option), option);
        QVERIFY(usage.startsWith("Usage: tabrivel-convert"));
    }
};

QTEST_GUILESS_MAIN(CompanionArgumentsTest)
#include "CompanionArgumentsTest.moc"
