// -o FILE never costs the user data: the output may not be an input, and an earlier FILE
// is replaced only by a complete script. Runs the real program, so that a real write
// failure (a file size limit) meets the real error handling.
#include "SmallDisk.h"
#include "samples/DbfWriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

using namespace tabrivel;
using tabrivel::testing::SmallDisk;

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

// Runs the program in `folder` on words that may hold bytes no text carries: the shell's
// printf writes each \ooo of a word that has one as that byte.
Result ConvertBytes(const QString& folder, const QStringList& words,
                    const QString& limitBlocks = "unlimited") {
    QString script = "trap '' XFSZ; ulimit -f " + limitBlocks + "; exec \"$0\"";
    for (const QString& word : words)
        script += word.contains('\\') ? " \"$(printf '" + word + "')\"" : " '" + word + "'";
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start("sh", {"-c", script, kProgram});
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

// The contents of the file the bytes name.
QByteArray BytesAt(const QByteArray& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    if (!in)
        return "<unreadable>";
    std::ostringstream text;
    text << in.rdbuf();
    return QByteArray::fromStdString(text.str());
}

// Qt's removal of a temporary folder cannot reach a name that is no UTF-8: the folder goes
// by its bytes first.
struct RemovedByBytes {
    QString folder;
    ~RemovedByBytes() {
        std::error_code ignored;
        std::filesystem::remove_all(QFile::encodeName(folder).toStdString(), ignored);
    }
};

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

    // A full disk is named as the system names it; Qt's own text for it is "Unknown
    // error", which tells the user nothing.
    void aFullDiskSaysSo() {
        QTemporaryDir dir, diskFolder;
        const SmallDisk disk(diskFolder.path(), 64);
        QVERIFY2(disk.mounted(), "no right to mount a small file system");
        const QString table = WriteTable(dir, "t.dbf", 4000);
        const Result result = Convert({"-o", diskFolder.filePath("out.sql"), table});
        QCOMPARE(result.status, 1);
        QVERIFY2(result.errors.contains(std::strerror(ENOSPC)), result.errors.constData());
        QVERIFY(!QFile::exists(diskFolder.filePath("out.sql")));
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
        QVERIFY2(shown.errors.contains("\rt.dbf: 2000 records delivered, 0 deleted left out, in "),
                 shown.errors.constData());
    }

    void aDeviceIsWrittenDirectly() {
        QTemporaryDir dir;
        const QString table = WriteTable(dir, "t.dbf", 2);
        const Result result = Convert({"-o", "/dev/stdout", table});
        QCOMPARE(result.status, 0);
        QCOMPARE(result.out, Convert({table}).out);
    }

    // café.dbf and its memo file with the é as the Latin-1 byte 0xE9 are opened by their
    // bytes; the statements name the table with U+FFFD, and so does a report.
    void tableNamedInBytesThatAreNoUtf8() {
        QTemporaryDir dir;
        const RemovedByBytes cleanup{dir.path()};
        WriteTable(dir, "plain.dbf", 2);
        const QByteArray folder = QFile::encodeName(dir.path()) + '/';
        for (const QByteArray extension : {".dbf", ".dbt"}) {
            QCOMPARE(std::rename((folder + "plain" + extension).constData(),
                                 (folder + "caf\xE9" + extension).constData()),
                     0);
        }
        const Result result = ConvertBytes(dir.path(), {"caf\\351.dbf"});
        QCOMPARE(result.errors, QByteArray());
        QCOMPARE(result.status, 0);
        QCOMPARE(result.out,
                 QByteArray("CREATE TABLE 'Table1_caf\xEF\xBF\xBD' ('fld1' text,'fld2' text);\r\n"
                            "INSERT INTO 'Table1_caf\xEF\xBF\xBD' VALUES ('1','note 1');\r\n"
                            "INSERT INTO 'Table1_caf\xEF\xBF\xBD' VALUES ('2','note 2');\r\n"));

        const Result missing = ConvertBytes(dir.path(), {"gone\\351.dbf", "caf\\351.dbf"});
        QCOMPARE(missing.status, 1);
        QCOMPARE(missing.out, result.out);
        QVERIFY2(missing.errors.startsWith("tabrivel-convert: gone\xEF\xBF\xBD.dbf: "),
                 missing.errors.constData());
    }

    // -o with a name that is no UTF-8 writes that very file; a complete script replaces an
    // earlier one and keeps its access rights, anything less leaves it as it was, and
    // nothing is left beside it.
    void outputNamedInBytesThatAreNoUtf8() {
        QTemporaryDir dir;
        const RemovedByBytes cleanup{dir.path()};
        const QString table = WriteTable(dir, "t.dbf", 2);
        WriteTable(dir, "big.dbf", 2000);
        const QByteArray output = QFile::encodeName(dir.path()) + "/out\xE9.sql";
        // Listed by bytes: Qt's listing leaves out a name it cannot reach again.
        const auto entries = [&] {
            const std::filesystem::directory_iterator listing(
                QFile::encodeName(dir.path()).toStdString());
            return std::distance(begin(listing), end(listing));
        };

        const Result first = ConvertBytes(dir.path(), {"-o", "out\\351.sql", "t.dbf"});
        QCOMPARE(first.status, 0);
        QCOMPARE(BytesAt(output), Convert({table}).out);
        QCOMPARE(entries(), 5);

        QCOMPARE(chmod(output.constData(), 0640), 0);
        const Result second =
            ConvertBytes(dir.path(), {"--insert-only", "-o", "out\\351.sql", "t.dbf"});
        QCOMPARE(second.status, 0);
        const QByteArray script = BytesAt(output);
        QVERIFY(script.startsWith("INSERT INTO 'Table1_t'"));
        struct stat status {};
        QCOMPARE(stat(output.constData(), &status), 0);
        QCOMPARE(status.st_mode & 0777, 0640u);

        const Result none = ConvertBytes(dir.path(), {"-o", "out\\351.sql", "missing.dbf"});
        QCOMPARE(none.status, 1);
        const Result cut = ConvertBytes(dir.path(), {"-o", "out\\351.sql", "big.dbf"}, "8");
        QCOMPARE(cut.status, 1);
        QVERIFY2(cut.errors.startsWith("tabrivel-convert: out\xEF\xBF\xBD.sql: "),
                 cut.errors.constData());
        QCOMPARE(BytesAt(output), script);
        QCOMPARE(entries(), 5);
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
