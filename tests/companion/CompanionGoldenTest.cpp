// Whole tables through the companion's code path, compared byte for byte.
#include "CompanionRunner.h"
#include "FixtureTables.h"
#include "companion/Companion.h"
#include "samples/DbfWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <fstream>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct CompanionRun {
    int status = -1;
    std::string out;
    std::string errors;
};

CompanionRun Run(const QTemporaryDir& dir, const std::vector<std::string>& arguments,
                 const ValueFormat& format = ValueFormat()) {
    const CompanionResult result = RunCompanionInto(dir.path(), arguments, format);
    return {result.status, result.script, result.errors};
}

// A customers table as dBase III writes it: cp1252 text, numbers right-aligned,
// one deleted record that must not appear.
std::string WriteCustomers(const QTemporaryDir& dir) {
    DbfWriter table(0x03, 0x03);
    table.addField("NAME", 'C', 12).addField("BALANCE", 'N', 8, 2).addField("SINCE", 'D', 8);
    table.addField("ACTIVE", 'L', 1);
    table.addRecord({"O'Brien", "  120.50", "19991231", "T"});
    table.addRecord({"Gone", "    1.00", "20000101", "F"}, true);
    table.addRecord({"M\xFCller", "   -0.75", "        ", "?"});
    table.addRecord({"", "********", "00000000", "n"});
    const std::string path = dir.filePath("customers.dbf").toStdString();
    table.write(path);
    return path;
}

// FoxPro 2 with an .fpt memo holding a line break and an apostrophe.
std::string WriteNotes(const QTemporaryDir& dir) {
    DbfWriter table(0xF5, 0x03);
    table.setMemoFormat(MemoFormat::FoxPro, 64);
    table.addField("ID", 'N', 3).addField("NOTE", 'M', 10);
    const std::uint32_t first = table.addMemo("first line\r\nit's second");
    table.addRecord({"  1", MemoPointer(first, 10)});
    table.addRecord({"  2", MemoPointer(0, 10)});
    const std::string path = dir.filePath("notes.dbf").toStdString();
    table.write(path, ".fpt");
    return path;
}

// A table whose header promises four records but whose file holds two and a half.
std::string WriteCutShort(const QTemporaryDir& dir) {
    DbfWriter table(0x03, 0x03);
    table.addField("NAME", 'C', 4).addRecord({"one"}).addRecord({"two"}).setRecordCount(4);
    const std::string path = dir.filePath("cut.dbf").toStdString();
    std::ofstream(path, std::ios::binary) << table.tableBytes() << " th";
    return path;
}

} // namespace

class CompanionGoldenTest : public QObject {
    Q_OBJECT

private slots:
    void customersWithDefaults() {
        QTemporaryDir dir;
        const CompanionRun run = Run(dir, {WriteCustomers(dir)});
        QCOMPARE(run.status, 0);
        QCOMPARE(
            QByteArray::fromStdString(run.out),
            QByteArray(
                "CREATE TABLE 'Table1_customers' ('fld1' text,'fld2' text,"
                "'fld3' text,'fld4' text);\r\n"
                "INSERT INTO 'Table1_customers' VALUES ('O''Brien     ','120.5',"
                "'1999-12-31','True');\r\n"
                "INSERT INTO 'Table1_customers' VALUES ('M\xC3\xBCller      ','-0.75','','');\r\n"
                "INSERT INTO 'Table1_customers' VALUES ('            ','','','False');\r\n"));
        QVERIFY(run.errors.empty());
    }

    void optionsAndLocaleShapeTheText() {
        QTemporaryDir dir;
        const CompanionRun run = Run(dir,
                                     {"--table-name", "t", "--delimiter", "[", "--no-semicolon",
                                      "--insert-only", WriteCustomers(dir)},
                                     ValueFormat::fromLocale(QLocale("de_DE")));
        QCOMPARE(run.status, 0);
        const QByteArray out = QByteArray::fromStdString(run.out);
        QVERIFY(!out.contains("CREATE TABLE"));
        QVERIFY(
            out.startsWith("INSERT INTO [t_customers] VALUES ('O''Brien     ','120,5','31.12.1999',"
                           "'True')\r\n"));
        QCOMPARE(out.count("\r\n"), 3);
    }

    void memoTextArrivesWhole() {
        QTemporaryDir dir;
        const CompanionRun run = Run(dir, {"--insert-only", WriteNotes(dir)});
        QCOMPARE(run.status, 0);
        QCOMPARE(
            QByteArray::fromStdString(run.out),
            QByteArray("INSERT INTO 'Table1_notes' VALUES ('1','first line\r\nit''s second');\r\n"
                       "INSERT INTO 'Table1_notes' VALUES ('2','');\r\n"));
    }

    // A broken table in the middle is reported and the tables around it still convert.
    void aFailingTableDoesNotStopTheOthers() {
        QTemporaryDir dir;
        const std::string broken = dir.filePath("broken.dbf").toStdString();
        std::ofstream(broken, std::ios::binary) << "this is not a table";
        const std::string missing = dir.filePath("missing.dbf").toStdString();
        const CompanionRun run =
            Run(dir, {"--insert-only", WriteNotes(dir), broken, missing, WriteCustomers(dir)});
        QCOMPARE(run.status, 1);
        const QByteArray out = QByteArray::fromStdString(run.out);
        QVERIFY(out.startsWith("INSERT INTO 'Table1_notes'"));
        QVERIFY(out.endsWith(
            "INSERT INTO 'Table1_customers' VALUES ('            ','','','False');\r\n"));
        const QByteArray errors = QByteArray::fromStdString(run.errors);
        QCOMPARE(errors.count('\n'), 2);
        QVERIFY(errors.contains("broken.dbf"));
        QVERIFY(errors.contains("missing.dbf"));
    }

    // What a damaged table still holds is converted; the loss is a warning and status 1.
    void aLossyTableIsWarnedAbout() {
        QTemporaryDir dir;
        const std::string cut = WriteCutShort(dir);
        const CompanionRun run = Run(dir, {"--insert-only", cut, WriteNotes(dir)});
        QCOMPARE(run.status, 1);
        const QByteArray out = QByteArray::fromStdString(run.out);
        QVERIFY(out.startsWith("INSERT INTO 'Table1_cut' VALUES ('one ');\r\n"
                               "INSERT INTO 'Table1_cut' VALUES ('two ');\r\n"
                               "INSERT INTO 'Table1_notes'"));
        QCOMPARE(QByteArray::fromStdString(run.errors),
                 QByteArray::fromStdString("tabrivel-convert: " + cut +
                                           ": warning: truncated after 2 of 4 records "
                                           "(records lost: 2, the first in record 3)\n"));
    }

    // --strict gives nothing of a lossy table, and still converts the whole ones.
    void strictRefusesALossyTable() {
        QTemporaryDir dir;
        const std::string cut = WriteCutShort(dir);
        const CompanionRun run = Run(dir, {"--strict", "--insert-only", cut, WriteNotes(dir)});
        QCOMPARE(run.status, 1);
        QVERIFY(!QByteArray::fromStdString(run.out).contains("Table1_cut"));
        QVERIFY(QByteArray::fromStdString(run.out).startsWith("INSERT INTO 'Table1_notes'"));
        QVERIFY2(run.errors.starts_with("tabrivel-convert: " + cut + ": refused: truncated "),
                 run.errors.c_str());
        QCOMPARE(Run(dir, {"--strict", WriteNotes(dir)}).status, 0);
    }

    // Without the new options the companion is the window's text, byte for byte, for
    // every fixture and sample table, whatever path each takes through the code.
    void defaultsAreTheWindowsText() {
        QTemporaryDir dir;
        std::vector<std::string> tables;
        for (const FixtureTable& table : WriteFixtureTables(dir.path().toStdString()))
            tables.push_back(dir.filePath(QString::fromStdString(table.fileName)).toStdString());
        const QString samples = QStringLiteral(TABRIVEL_SAMPLES_DIR);
        for (const QString& name : QDir(samples).entryList({"*.DBF"}, QDir::Files))
            tables.push_back((samples + "/" + name).toStdString());
        const ValueFormat german = ValueFormat::fromLocale(QLocale("de_DE"));
        for (const std::vector<std::string>& options :
             {std::vector<std::string>{},
              {"--delimiter", "[", "--no-semicolon", "--insert-only"}}) {
            std::string window;
            const ParsedArguments parsed = ParseCompanionArguments(options + tables);
            for (const std::string& table : tables)
                ConvertTable(table, TableBaseName(table), parsed.arguments.options, german,
                             [&](std::string_view sql) { (window += sql) += "\r\n"; });
            const CompanionRun run = Run(dir, options + tables, german);
            // The fixtures hold values that a NUL cuts short: reported, so status 1.
            QCOMPARE(run.status, 1);
            QVERIFY2(QString::fromStdString(run.errors).contains("a NUL byte ends the value"),
                     run.errors.c_str());
            QCOMPARE(QByteArray::fromStdString(run.out), QByteArray::fromStdString(window));
        }
    }

    void usageErrorIsStatusTwo() {
        const std::vector<std::string> arguments{"--bogus"};
        std::FILE* sink = std::tmpfile();
        QCOMPARE(CompanionMain(arguments, sink, sink), 2);
        std::fclose(sink);
    }
};

QTEST_GUILESS_MAIN(CompanionGoldenTest)
#include "CompanionGoldenTest.moc"
