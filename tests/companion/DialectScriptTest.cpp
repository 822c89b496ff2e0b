// The script options, each shaping exact text: dialect quoting and literals, transaction
// words, batches, NULL, field names, types, trimming, the C forms and COPY.
#include "CompanionRunner.h"
#include "samples/DbfWriter.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

// A dBase III table "t": a name with an apostrophe and a backslash, a second field
// whose name differs only in case, an amount, a date and a logical; then a record of
// blanks, which reads as padding and nulls.
QString WriteTable(const QTemporaryDir& dir) {
    DbfWriter w(0x03, 0x03);
    w.addField("NAME", 'C', 6).addField("name", 'C', 2).addField("AMOUNT", 'N', 6, 2);
    w.addField("DAY", 'D', 8).addField("OK", 'L', 1);
    w.addRecord({"O'B\\", "x", " 12.50", "20240305", "T"});
    w.addRecord({"", "", "", "        ", "?"});
    const QString path = dir.filePath("t.dbf");
    w.write(path.toStdString());
    return path;
}

struct Script {
    int status = -1;
    QByteArray text;
    QByteArray errors;
};

Script Convert(const QStringList& words, const ValueFormat& locale = ValueFormat()) {
    QTemporaryDir dir;
    std::vector<std::string> arguments;
    for (const QString& word : words)
        arguments.push_back(word.toStdString());
    arguments.push_back(WriteTable(dir).toStdString());
    const CompanionResult result = RunCompanionInto(dir.path(), arguments, locale);
    return {result.status, QByteArray::fromStdString(result.script),
            QByteArray::fromStdString(result.errors)};
}

QByteArray Lines(std::initializer_list<const char*> lines) {
    QByteArray text;
    for (const char* line : lines)
        text += QByteArray(line) + "\r\n";
    return text;
}

} // namespace

class DialectScriptTest : public QObject {
    Q_OBJECT

private slots:
    void scripts_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("expected");
        QTest::addRow("the window's text")
            << QStringList{}
            << Lines({"CREATE TABLE 'Table1_t' ('fld1' text,'fld2' text,'fld3' text,'fld4' "
                      "text,'fld5' text);",
                      "INSERT INTO 'Table1_t' VALUES ('O''B\\  ','x ','12.5','2024-03-05','True');",
                      "INSERT INTO 'Table1_t' VALUES ('      ','  ','','','');"});
        QTest::addRow("PostgreSQL quotes names, not values")
            << QStringList{"--dialect", "postgresql", "--insert-only"}
            << Lines({"SET client_encoding TO 'UTF8';",
                      "INSERT INTO \"Table1_t\" VALUES ('O''B\\  ','x ','12.5','2024-03-05',"
                      "'True');",
                      "INSERT INTO \"Table1_t\" VALUES ('      ','  ','','','');"});
        QTest::addRow("the delimiter wins over the dialect's quote")
            << QStringList{"--dialect", "mysql",         "--delimiter",
                           "[",         "--insert-only", "--no-semicolon"}
            << Lines({"SET NAMES utf8mb4",
                      "INSERT INTO [Table1_t] VALUES ('O''B\\\\  ','x ','12.5','2024-03-05',"
                      "'True')",
                      "INSERT INTO [Table1_t] VALUES ('      ','  ','','','')"});
        QTest::addRow("MySQL: names, NULL, trimmed text, backslashes doubled")
            << QStringList{"--dialect", "mysql", "--names", "--null", "--trim"}
            << Lines({"SET NAMES utf8mb4;",
                      "CREATE TABLE `t` (`NAME` longtext,`name_2` longtext,`AMOUNT` "
                      "longtext,`DAY` longtext,`OK` longtext);",
                      "INSERT INTO `t` VALUES ('O''B\\\\','x','12.5','2024-03-05','True');",
                      "INSERT INTO `t` VALUES ('','',NULL,NULL,NULL);"});
        // Beyond the window's own text too: the back-quote means MySQL, and MySQL takes a
        // backslash inside '...' as an escape.
        QTest::addRow("back-quote without a dialect: MySQL's values")
            << QStringList{"--delimiter", "`", "--names", "--insert-only", "--null"}
            << Lines({"INSERT INTO `t` VALUES ('O''B\\\\  ','x ','12.5','2024-03-05','True');",
                      "INSERT INTO `t` VALUES ('      ','  ',NULL,NULL,NULL);"});
        QTest::addRow("SQL Server: a transaction, one batch, typed columns")
            << QStringList{"--dialect", "sqlserver", "--transaction", "--batch", "3", "--types"}
            << Lines({"BEGIN TRANSACTION;",
                      "CREATE TABLE [Table1_t] ([fld1] nvarchar(6),[fld2] nvarchar(2),[fld3] "
                      "numeric(38,5),[fld4] date,[fld5] bit);",
                      "INSERT INTO [Table1_t] VALUES (N'O''B\\  ',N'x ','12.5','2024-03-05',1),"
                      "(N'      ',N'  ',NULL,NULL,NULL);",
                      "COMMIT;"});
        QTest::addRow("batches of one row are single INSERTs")
            << QStringList{"--dialect", "sqlite", "--batch", "1", "--insert-only", "--types"}
            << Lines({"INSERT INTO \"Table1_t\" VALUES ('O''B\\  ','x ','12.5','2024-03-05',1);",
                      "INSERT INTO \"Table1_t\" VALUES ('      ','  ',NULL,NULL,NULL);"});
        QTest::addRow("PostgreSQL types")
            << QStringList{"--dialect", "postgresql", "--types", "--names", "--transaction"}
            << Lines({"SET client_encoding TO 'UTF8';", "BEGIN;",
                      "CREATE TABLE \"t\" (\"name\" varchar(6),\"name_2\" varchar(2),\"amount\" "
                      "numeric,\"day\" date,\"ok\" boolean);",
                      "INSERT INTO \"t\" VALUES ('O''B\\  ','x ','12.5','2024-03-05','true');",
                      "INSERT INTO \"t\" VALUES ('      ','  ',NULL,NULL,NULL);", "COMMIT;"});
        QTest::addRow("COPY escapes backslashes and writes \\N")
            << QStringList{"--copy", "--names", "--null"}
            << Lines({"\\set ON_ERROR_STOP on", "SET client_encoding TO 'UTF8';",
                      "CREATE TABLE \"t\" (\"name\" text,\"name_2\" text,\"amount\" text,\"day\" "
                      "text,\"ok\" text);",
                      "COPY \"t\" FROM stdin;", "O'B\\\\  \tx \t12.5\t2024-03-05\tTrue",
                      "      \t  \t\\N\t\\N\t\\N", "\\."});
    }
    void scripts() {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, expected);
        const Script script = Convert(options);
        QVERIFY2(script.errors.isEmpty(), script.errors.constData());
        QCOMPARE(script.status, 0);
        QCOMPARE(script.text, expected);
    }

    // MySQL refuses a row whose varchar columns need more than 65,535 bytes; such a
    // table gets longtext columns, a narrow one keeps its varchar.
    void wideTablesFitMySqlsRowLimit() {
        for (const int fields : {2, 70}) {
            QTemporaryDir dir;
            DbfWriter w(0x03, 0x03);
            for (int k = 1; k <= fields; ++k)
                w.addField("F" + std::to_string(k), 'C', 254);
            w.addRecord(std::vector<std::string>(fields, "x"));
            w.write(dir.filePath("wide.dbf").toStdString());
            const CompanionResult result =
                RunCompanionInto(dir.path(), {"--dialect", "mysql", "--types",
                                              dir.filePath("wide.dbf").toStdString()});
            QCOMPARE(result.status, 0);
            const QString script = QString::fromStdString(result.script);
            QCOMPARE(script.count("varchar(254)"), fields == 2 ? 2 : 0);
            QCOMPARE(script.count("longtext"), fields == 2 ? 0 : fields);
        }
    }

    // Field names that differ only in what no name may hold are one name once written:
    // the second is told apart, or the database would refuse the table.
    void fieldNamesStayApartOnceCleaned() {
        QTemporaryDir dir;
        DbfWriter w(0x03, 0x03);
        w.addField("A\x01"
                   "B",
                   'C', 1)
            .addField("A\nB", 'C', 1)
            .addField("a\\b", 'C', 1);
        w.addRecord({"x", "y", "z"});
        w.write(dir.filePath("names.dbf").toStdString());
        const CompanionResult result =
            RunCompanionInto(dir.path(), {"--to", "sqlite", "--schema-only",
                                          dir.filePath("names.dbf").toStdString()});
        QCOMPARE(result.status, 0);
        QVERIFY2(QString::fromStdString(result.script)
                     .contains("(\"A_B\" varchar(1),\"A_B_2\" varchar(1),\"a_b_3\" varchar(1))"),
                 result.script.c_str());
    }

    // InnoDB keeps a row within half a page: 100 fields of 60 characters would need
    // 24,200 bytes inline, so the widest go to longtext until the rest fit, and the
    // others keep their varchar.
    void manyMidWidthFieldsFitInnoDbsRow() {
        QTemporaryDir dir;
        DbfWriter w(0x03, 0x03);
        for (int k = 1; k <= 99; ++k)
            w.addField("F" + std::to_string(k), 'C', 60);
        w.addField("WIDE", 'C', 62);
        w.addRecord(std::vector<std::string>(100, "x"));
        w.write(dir.filePath("mid.dbf").toStdString());
        const CompanionResult result =
            RunCompanionInto(dir.path(), {"--to", "mysql", dir.filePath("mid.dbf").toStdString()});
        QCOMPARE(result.status, 0);
        const QString script = QString::fromStdString(result.script);
        const qsizetype kept = script.count("varchar(60)");
        const qsizetype moved = script.count("longtext");
        QCOMPARE(kept + moved + script.count("varchar(62)"), 100);
        QVERIFY(script.contains("`WIDE` longtext"));
        QVERIFY(kept > 0);
        QVERIFY2(kept * 242 + moved * 40 <= 8126, qPrintable(QString::number(kept)));
    }

    // The user's locale shapes numbers and dates unless --iso or --types says otherwise.
    void localeFormsAndTheCForms() {
        const ValueFormat german = ValueFormat::fromLocale(QLocale("de_DE"));
        const QStringList options{"--dialect", "postgresql", "--insert-only"};
        const QByteArray utf8 = "SET client_encoding TO 'UTF8';\r\n";
        QVERIFY(Convert(options, german)
                    .text.startsWith(utf8 + "INSERT INTO \"Table1_t\" VALUES ('O''B\\  ','x "
                                            "','12,5','05.03.2024','True');"));
        QVERIFY(Convert(options + QStringList{"--iso"}, german)
                    .text.startsWith(utf8 +
                                     "INSERT INTO \"Table1_t\" VALUES ('O''B\\  ','x ','12.5',"
                                     "'2024-03-05','True');"));
        QVERIFY(Convert(options + QStringList{"--types"}, german)
                    .text.startsWith(utf8 +
                                     "INSERT INTO \"Table1_t\" VALUES ('O''B\\  ','x ','12.5',"
                                     "'2024-03-05','true');"));
    }

    // A memo too long to hold whole reaches the reader's callers in pieces; every script
    // form and the SQLite database still take it whole.
    void aLongMemoArrivesWhole_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addRow("postgresql copy") << QStringList{"--copy", "--names"};
        QTest::addRow("mysql batches") << QStringList{"--dialect", "mysql", "--batch", "2"};
        // Not scanned ahead for carriage returns, a memo in pieces goes to SQLite as its
        // bytes in hexadecimal.
        QTest::addRow("sqlite typed") << QStringList{"--dialect", "sqlite", "--types", "--null"};
        QTest::addRow("window text") << QStringList{};
        QTest::addRow("trimmed, so joined first") << QStringList{"--trim", "--dialect", "mysql"};
    }
    void aLongMemoArrivesWhole() {
        QFETCH(QStringList, options);
        QTemporaryDir dir;
        DbfWriter w(0x83);
        w.addField("NOTE", 'M', 10);
        std::string memo;
        for (int k = 0; memo.size() < 3u << 20; ++k)
            memo += "line " + std::to_string(k) + " of a long memo. ";
        w.addRecord({MemoPointer(w.addMemo(memo), 10)});
        const QString path = dir.filePath("long.dbf");
        w.write(path.toStdString(), ".dbt");
        std::vector<std::string> arguments;
        for (const QString& word : options)
            arguments.push_back(word.toStdString());
        arguments.push_back(path.toStdString());
        const CompanionResult result = RunCompanionInto(dir.path(), arguments);
        QCOMPARE(result.status, 0);
        const bool asHex = options.contains("sqlite");
        QVERIFY(result.script.find(
                    asHex ? QByteArray::fromStdString(memo).toHex().toUpper().toStdString()
                          : memo) != std::string::npos);
    }

    // PostgreSQL cuts a long name silently, so two tables whose names share their first
    // 63 bytes would land as one; MySQL refuses one past 64 characters. Each long name is
    // cut to fit, stays apart from its neighbour, and the user is told.
    void longNamesFitTheirDatabase_data() {
        QTest::addColumn<QString>("dialect");
        QTest::addColumn<int>("limit");
        QTest::addColumn<bool>("inBytes");
        QTest::addRow("postgresql, bytes") << "postgresql" << 63 << true;
        QTest::addRow("mysql, characters") << "mysql" << 64 << false;
    }
    void longNamesFitTheirDatabase() {
        QFETCH(QString, dialect);
        QFETCH(int, limit);
        QFETCH(bool, inBytes);
        QTemporaryDir dir;
        const std::string shared = "r\xC3\xA9sum\xC3\xA9_" + std::string(70, 'x'); // 2-byte é
        std::vector<std::string> arguments{"--dialect", dialect.toStdString(), "--names"};
        for (const char* end : {"_a", "_b", "_short"}) {
            DbfWriter w(0x03, 0x03);
            w.addField(std::string(end) == "_short" ? "F" : "LONGFIELD", 'C', 1).addRecord({"v"});
            const std::string name = std::string(end) == "_short" ? "short" : shared + end;
            arguments.push_back(dir.filePath(QString::fromStdString(name + ".dbf")).toStdString());
            w.write(arguments.back());
        }
        const CompanionResult result = RunCompanionInto(dir.path(), arguments);
        QCOMPARE(result.status, 0);
        const QString script = QString::fromStdString(result.script);
        QStringList names;
        for (const QString& line : script.split("\r\n"))
            if (line.startsWith("CREATE TABLE "))
                names << line.mid(14).section(' ', 0, 0).chopped(1);
        QCOMPARE(names.size(), 3);
        QCOMPARE(names[2], QString("short"));
        QVERIFY(names[0] != names[1]);
        for (const QString& name : names.first(2)) {
            QCOMPARE(inBytes ? int(name.toUtf8().size()) : int(name.size()), limit);
            QVERIFY2(name.startsWith(QString::fromUtf8("r\xC3\xA9sum\xC3\xA9_xxx")),
                     qPrintable(name));
        }
        QCOMPARE(QString::fromStdString(result.errors).count("warning: the name"), 2);
    }

    // The statement that says the script is UTF-8 comes once, first, however many tables
    // and workers there are.
    void scriptsSayTheyAreUtf8Once() {
        QTemporaryDir dir;
        std::vector<std::string> arguments{"--dialect", "mysql", "--jobs", "2"};
        for (int k = 0; k < 6; ++k) {
            DbfWriter w(0x03, 0x03);
            w.addField("F", 'C', 1).addRecord({"v"});
            arguments.push_back(dir.filePath(QString("t%1.dbf").arg(k)).toStdString());
            w.write(arguments.back());
        }
        const CompanionResult result = RunCompanionInto(dir.path(), arguments);
        QCOMPARE(result.status, 0);
        const QString script = QString::fromStdString(result.script);
        QVERIFY(script.startsWith("SET NAMES utf8mb4;\r\nCREATE TABLE `Table1_t0`"));
        QCOMPARE(script.count("SET NAMES"), 1);
    }
};

QTEST_GUILESS_MAIN(DialectScriptTest)
#include "DialectScriptTest.moc"
