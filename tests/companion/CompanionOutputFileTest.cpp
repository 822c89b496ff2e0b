// -o FILE never costs the user data: the output may not be an input, and an earlier FILE
// is replaced only by a complete script. Runs the real program, so that a real write
// failure (a file size limit) meets the real error handling.
#include "samples/DbfWriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace tabrivel;

namespace {

const QString kProgram = QStringLiteral(TABRIVEL_CONVERT);

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void Put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

struct Result {
    int status = -1;
    QByteArray out;
    QByteArray errors;
};

// Runs the program under sh, so that a file size limit can be set first; the limit's
// signal is ignored, which makes the write fail with an error instead.
Result Convert(const QStringList& arguments, const QString& limitBlocks = "unlimited") {
    QProcess process;
    QStringList words{"-c", "trap '' XFSZ; ulimit -f " + limitBlocks + "; exec \"$0\" \"$@\"",
                      kProgram};
    process.start("sh", words + arguments);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

// A dBase III table with a memo file, `records` records long.
QString WriteTable(const QTemporaryDir& dir, const QString& name, int records) {
    DbfWriter table(0x83);
    table.addField("ID", 'N', 6).addField("NOTE", 'M', 10);
    for (int k = 1; k <= records; ++k)
        table.addRecord(
            {std::to_string(k), MemoPointer(table.addMemo("note " + std::to_string(k)), 10)});
    const QString path = dir.filePath(name);
    table.write(path.toStdString(), ".dbt");
    return path;
}

QStringList Leftovers(const QTemporaryDir& dir, const QStringList& expected) {
    QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : expected)
        names.removeOne(name);
    return names;
}

} // namespace

class CompanionOutputFileTest : public QObject {
    Q_OBJECT

private slots:
    // The table (under its own name, another spelling, a hard link) and its memo file
    // are refused before anything is opened for writing.
    void outputThatIsAnInputIsRefused_data() {
        QTest::addColumn<QString>("output");
        QTest::addRow("the table") << "t.dbf";
        QTest::addRow("the table spelt another way") << "./sub/../t.dbf";
        QTest::addRow("a hard link to the table") << "link.sql";
        QTest::addRow("the memo file") << "t.dbt";
    }
    void outputThatIsAnInputIsRefused() {
        QFETCH(QString, output);
        QTemporaryDir dir;
        const QString table = WriteTable(dir, "t.dbf", 3);
        QDir(dir.path()).mkdir("sub");
        QCOMPARE(::link(QFile::encodeName(table).constData(),
                        QFile::encodeName(dir.filePath("link.sql")).constData()),
                 0);
        const QByteArray tableBefore = Bytes(table);
        const QByteArray memoBefore = Bytes(dir.filePath("t.dbt"));

        const Result result = Convert({"-o", dir.filePath(output), table});

        QCOMPARE(result.status, 2);
        QVERIFY2(result.errors.startsWith(
                     "tabrivel-convert: " + QFile::encodeName(dir.filePath(output)) + ": "),
                 result.errors.constData());
        QVERIFY(result.errors.contains("input"));
        QCOMPARE(Bytes(table), tableBefore);
        QCOMPARE(Bytes(dir.filePath("t.dbt")), memoBefore);
        QCOMPARE(Leftovers(dir, {"t.dbf", "t.dbt", "link.sql"}), QStringList());
    }

    void everyTableFailingKeepsTheEarlierFile() {
        QTemporaryDir dir;
        const QString output = dir.filePath("out.sql");
        Put(output, "earlier script\n");
        Put(dir.filePath("broken.dbf"), "no table at all");

        const Result result =
            Convert({"-o", output, dir.filePath("broken.dbf"), dir.filePath("missing.dbf")});

        QCOMPARE(result.status, 1);
        QCOMPARE(Bytes(output), QByteArray("earlier script\n"));
        QCOMPARE(Leftovers(dir, {"out.sql", "broken.dbf"}), QStringList());
        QCOMPARE(result.errors.count('\n'), 3);
        QVERIFY(result.errors.contains("no table converted"));
    }

    // A table cut short is a failure, but its complete records are delivered as they are
    // on standard output, so the file holds them.
    void aTableCutShortStillGivesItsCompleteRecords() {
        QTemporaryDir dir;
        DbfWriter table(0x03);
        table.addField("ID", 'N', 3).addRecord({"1"}).addRecord({"2"}).setRecordCount(5);
        table.write(dir.filePath("cut.dbf").toStdString());
        const QString output = dir.filePath("out.sql");
        Put(output, "earlier script\n");

        const Result result = Convert({"--insert-only", "-o", output, dir.filePath("cut.dbf")});

        QCOMPARE(result.status, 1);
        QCOMPARE(Bytes(output), QByteArray("INSERT INTO 'Table1_cut' VALUES ('1');\r\n"
                                           "INSERT INTO 'Table1_cut' VALUES ('2');\r\n"));
        QVERIFY2(result.errors.contains("truncated after 2 of 5 records"),
                 result.errors.constData());
    }

    // A limit of 8 blocks of 512 bytes lets the temporary file grow to 4 KiB, and the
    // script of this table is far larger.
    void writeFailureKeepsTheEarlierFile() {
        QTemporaryDir dir;
        const QString table = WriteTable(dir, "t.dbf", 2000);
        const QString output = dir.filePath("out.sql");
        Put(output, "earlier script\n");

        const Result result = Convert({"-o", output, table}, "8");

        QCOMPARE(result.status, 1);
        QCOMPARE(Bytes(output), QByteArray("earlier script\n"));
        QCOMPARE(Leftovers(dir, {"out.sql", "t.dbf", "t.dbt"}), QStringList());
        QVERIFY2(result.errors.startsWith("tabrivel-convert: " + QFile::encodeName(output) + ": "),
                 result.errors.constData());
        QCOMPARE(result.errors.count('\n'), 1);
    }

    // The same limit on the unlimited run shows that the failure above came from the
    // limit: without it the file is replaced whole.
    void aCompleteScriptReplacesTheEarlierFile() {
        QTemporaryDir dir;
        const QString table = WriteTable(dir, "t.dbf", 2000);
        const QString output = dir.filePath("out.sql");
        Put(output, "earlier script\n");

        const Result result = Convert({"--insert-only", "-o", output, table});

        QCOMPARE(result.status, 0);
        QVERIFY(result.out.isEmpty());
        const QByteArray script = Bytes(output);
        QCOMPARE(script.count("\r\n"), 2000);
        QVERIFY(script.startsWith("INSERT INTO 'Table1_t' VALUES ('1','note 1');\r\n"));
        QVERIFY(script.endsWith("INSERT INTO 'Table1_t' VALUES ('2000','note 2000');\r\n"));
        QCOMPARE(Leftovers(dir, {"out.sql", "t.dbf", "t.dbt"}), QStringList());
    }

    // Standard error is no terminal here, so progress shows only when asked for.
    void progressOnlyWhenAskedFor() {
        QTemporaryDir dir;
        const QString table = WriteTable(dir, "t.dbf", 2000);
        const Result quiet = Convert({"-o", dir.filePath("out.sql"), table});
        QCOMPARE(quiet.status, 0);
        QCOMPARE(quiet.errors, QByteArray());
        const Result shown = Convert({"--progress", "-o", dir.filePath("out.sql"), table});
        QCOMPARE(shown.status, 0);
        QVERIFY2(shown.errors.contains("\rt.dbf: 2000 of 2000 records, "),
                 shown.errors.constData());
    }

    void aDeviceIsWrittenDirectly() {
        QTemporaryDir dir;
        const QString table = WriteTable(dir, "t.dbf", 2);
        const Result result = Convert({"-o", "/dev/stdout", table});
        QCOMPARE(result.status, 0);
        QCOMPARE(result.out, Convert({table}).out);
    }

    void standardOutputIsWrittenAsBefore() {
        QTemporaryDir dir;
        const QString table = WriteTable(dir, "t.dbf", 2);
        const Result dash = Convert({"-o", "-", table});
        const Result plain = Convert({table});
        QCOMPARE(dash.status, 0);
        QCOMPARE(dash.out, plain.out);
        QCOMPARE(dash.out, QByteArray("CREATE TABLE 'Table1_t' ('fld1' text,'fld2' text);\r\n"
                                      "INSERT INTO 'Table1_t' VALUES ('1','note 1');\r\n"
                                      "INSERT INTO 'Table1_t' VALUES ('2','note 2');\r\n"));
    }
};

QTEST_GUILESS_MAIN(CompanionOutputFileTest)
#include "CompanionOutputFileTest.moc"
