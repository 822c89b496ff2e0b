// What the companion takes as its tables, through the real program: folders, a table on
// standard input, a memo file given in its table's place, an SQLite file that is none, and
// the option slips a newcomer makes.
#include "fs/FolderFiles.h"
#include "samples/DbfWriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tabrivel;

namespace {

struct Result {
    int status = -1;
    QByteArray out;
    QByteArray errors;
};

Result Convert(const QStringList& arguments, const QString& input = {}) {
    QProcess process;
    if (!input.isEmpty())
        process.setStandardInputFile(input);
    process.start(QStringLiteral(TABRIVEL_CONVERT), arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return {-2, {}, "did not finish"};
    }
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QString WriteTable(const QDir& folder, const QString& name, const std::string& value) {
    DbfWriter table;
    table.addField("NAME", 'C', 8).addRecord({value});
    const QString path = folder.filePath(name);
    table.write(path.toStdString());
    return path;
}

} // namespace

class CompanionInputsTest : public QObject {
    Q_OBJECT

private slots:
    // A folder gives what its tables give named one by one, in the order of the scan.
    void folderGivesItsTablesInScanOrder() {
        QTemporaryDir dir;
        const QDir root(dir.path());
        QVERIFY(root.mkpath("data/sub") && root.mkpath("empty"));
        WriteTable(root, "data/b.dbf", "bee");
        WriteTable(root, "data/a.dbf", "ay");
        WriteTable(root, "data/sub/c.dbf", "sea");
        WriteTable(root, "data/~a.dbf", "copy");
        const Result folder = Convert({root.filePath("data")});
        QCOMPARE(folder.status, 0);
        const QStringList files = FilesOfFolderTree(root.filePath("data"), "*.dbf");
        QCOMPARE(files.size(), 3);
        const Result named = Convert(files);
        QCOMPARE(folder.out, named.out);
        QVERIFY(!folder.out.contains("copy"));

        const Result empty = Convert({root.filePath("empty")});
        QCOMPARE(empty.status, 2);
        QVERIFY2(empty.errors.contains("no table in this folder or below it"), empty.errors);
    }

    // Standard input holds one table: it is converted as "stdin" from a temporary copy.
    void tableFromStandardInput() {
        QTemporaryDir dir;
        const QString table = WriteTable(QDir(dir.path()), "t.dbf", "piped");
        const Result piped = Convert({"-"}, table);
        QCOMPARE(piped.status, 0);
        QByteArray expected = Convert({table}).out;
        expected.replace("Table1_t", "Table1_stdin");
        QCOMPARE(piped.out, expected);
        // Reports say where the table came from.
        DbfWriter cut;
        cut.addField("NAME", 'C', 8).addRecord({"only"}).setRecordCount(2);
        cut.write(dir.filePath("cut.dbf").toStdString());
        const Result report = Convert({"-"}, dir.filePath("cut.dbf"));
        QCOMPARE(report.status, 1);
        QVERIFY2(report.errors.contains("tabrivel-convert-standard-input-") &&
                     report.errors.contains("/stdin.dbf: warning: "),
                 report.errors);
    }

    void memoFileNamesItsTable() {
        QTemporaryDir dir;
        DbfWriter table(0xF5);
        table.setMemoFormat(MemoFormat::FoxPro, 64).addField("NOTE", 'M', 10);
        table.addRecord({MemoPointer(table.addMemo("text"), 10)});
        table.write(dir.filePath("notes.dbf").toStdString(), ".fpt");
        const Result result = Convert({dir.filePath("notes.fpt")});
        QCOMPARE(result.status, 1);
        QCOMPARE(result.errors, "tabrivel-convert: " + dir.filePath("notes.fpt").toUtf8() +
                                    ": a memo file, not a table: give its table " +
                                    dir.filePath("notes.dbf").toUtf8() + "\n");
    }

    void sqliteOntoAnotherKindOfFile() {
        QTemporaryDir dir;
        const QString table = WriteTable(QDir(dir.path()), "t.dbf", "x");
        const QString csv = dir.filePath("data.csv");
        QFile file(csv);
        const QByteArray text = QByteArray("name,amount\n").repeated(100);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        const Result result = Convert({"--sqlite", csv, table});
        QCOMPARE(result.status, 1);
        QCOMPARE(result.errors, "tabrivel-convert: " + csv.toUtf8() +
                                    ": not an SQLite database; it was left as it was\n");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), text);
    }

    // Usage errors end the run before any table is opened: the table named here is missing,
    // and it is never reported.
    void slipsAreUsageErrors_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QByteArray>("said");
        QTest::addRow("unknown code page")
            << QStringList{"--encoding", "klingon", "missing.dbf"} << QByteArray("klingon");
        QTest::addRow("mistyped option") << QStringList{"--dialet", "mysql", "missing.dbf"}
                                         << QByteArray("Did you mean --dialect?");
    }
    void slipsAreUsageErrors() {
        QFETCH(QStringList, words);
        QFETCH(QByteArray, said);
        const Result result = Convert(words);
        QCOMPARE(result.status, 2);
        QVERIFY2(result.errors.contains(said), result.errors);
        QVERIFY2(!result.errors.contains("missing.dbf"), result.errors);
        QVERIFY(result.out.isEmpty());
    }

    void joinedShortOptions() {
        QTemporaryDir dir;
        const QString table = WriteTable(QDir(dir.path()), "t.dbf", "joined");
        const QString out = dir.filePath("out.sql");
        const Result result = Convert({"-j2", "-o" + out, table});
        QCOMPARE(result.status, 0);
        QFile file(out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), Convert({table}).out);
    }
};

QTEST_GUILESS_MAIN(CompanionInputsTest)
#include "CompanionInputsTest.moc"
