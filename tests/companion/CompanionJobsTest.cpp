// Tables converted several at once give what one thread gives, byte for byte: the script
// on standard output or in -o FILE, the reports on standard error, the exit status.
// Runs the real program, so that standard output and a failing write are the real ones.
#include "FixtureTables.h"
#include "samples/DbfWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

const QString kProgram = QStringLiteral(TABRIVEL_CONVERT);

struct Result {
    int status = -1;
    QByteArray out;
    QByteArray errors;
};

// Under sh, so that a file size limit can be set first; its signal is ignored, which
// makes the write fail with an error instead.
Result Convert(const QStringList& arguments, const QString& limitBlocks = "unlimited") {
    QProcess process;
    const QStringList words{"-c", "trap '' XFSZ; ulimit -f " + limitBlocks + "; exec \"$0\" \"$@\"",
                            kProgram};
    process.start("sh", words + arguments);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return {-2, {}, "did not finish"};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QString Write(const QTemporaryDir& dir, const QString& name, const DbfWriter& table,
              std::string_view memoExtension = {}) {
    const QString path = dir.filePath(name);
    table.write(path.toStdString(), memoExtension);
    return path;
}

// Numbers, one of them not a number, so that --types reports it in the middle of a table.
QString NumbersTable(const QTemporaryDir& dir, const QString& name, int records) {
    DbfWriter table;
    table.addField("N", 'N', 10, 2).addField("NAME", 'C', 60);
    for (int k = 1; k <= records; ++k)
        table.addRecord({k == records / 2 ? "n/a" : std::to_string(k) + ".25",
                         "record " + std::to_string(k) + " of '" + name.toStdString() + "'"});
    return Write(dir, name, table);
}

// Memos far longer than what a worker hands over at a time.
QString LongMemoTable(const QTemporaryDir& dir) {
    DbfWriter table(0x83);
    table.addField("ID", 'N', 4).addField("NOTE", 'M', 10);
    for (int k = 1; k <= 3; ++k) {
        const std::string memo(200000 * static_cast<std::size_t>(k), static_cast<char>('a' + k));
        table.addRecord({std::to_string(k), MemoPointer(table.addMemo(memo + "'\r\n"), 10)});
    }
    return Write(dir, "memos.dbf", table, ".dbt");
}

// Four records claimed, two stored: a warning, or a refusal under --strict.
QString CutShortTable(const QTemporaryDir& dir) {
    DbfWriter table;
    table.addField("NAME", 'C', 4).addRecord({"one"}).addRecord({"two"}).setRecordCount(4);
    return Write(dir, "cut.dbf", table);
}

// A table large enough to be cut into three parts or more with several jobs, with what
// each part must hand on to the next or to the table's end: deleted records (so that
// INSERTs of several rows hold rows of two parts), memos, memos lost and values cut at a
// NUL in every part (one warning each, counted over the parts), values that do not fit a
// typed column, text in a code page the table does not name (a guess, reported once), and
// records cut off at the end. Its memo file is large enough to be cut too, if it were taken
// for a table.
QString PartedTable(const QTemporaryDir& dir) {
    constexpr int kRecords = 120000;
    DbfWriter table(0x83, 0x00);
    table.addField("ID", 'N', 8).addField("NAME", 'C', 80).addField("AMT", 'N', 12, 2);
    table.addField("NOTE", 'M', 10);
    const std::string shared = MemoPointer(table.addMemo("shared note, l'autre"), 10);
    const std::string lost = MemoPointer(999999, 10);
    for (int k = 1; k <= kRecords; ++k) {
        const std::string id = std::to_string(k);
        const std::string name =
            k % 9001 == 0 ? std::string("cut\0here", 8) : "caf\xe9 n\xb0 " + id + " o'k";
        const std::string amount = k % 17011 == 0 ? "n/a" : id + ".5";
        std::string note;
        if (k % 29989 == 0)
            note = lost;
        else if (k % 7 == 1)
            note = MemoPointer(table.addMemo("memo " + id + "\r\nline two"), 10);
        else if (k % 5 == 0)
            note = shared;
        table.addRecord({id, name, amount, note}, k % 7 == 3);
    }
    table.setRecordCount(kRecords + 3);
    return Write(dir, "parted.dbf", table, ".dbt");
}

// Fixtures, failing, damaged and large tables, and more small ones than are ever taken up
// ahead of the one being written.
QStringList ManyTables(const QTemporaryDir& dir) {
    QStringList tables;
    for (const FixtureTable& table : WriteFixtureTables(dir.path().toStdString()))
        tables << dir.filePath(QString::fromStdString(table.fileName));
    QFile broken(dir.filePath("broken.dbf"));
    if (broken.open(QIODevice::WriteOnly))
        broken.write("this is not a table");
    tables << broken.fileName() << dir.filePath("missing.dbf") << CutShortTable(dir);
    tables << NumbersTable(dir, "large.dbf", 100000) << LongMemoTable(dir);
    for (int k = 0; k < 300; ++k)
        tables << NumbersTable(dir, QString("small%1.dbf").arg(k), 1 + k % 7);
    tables << NumbersTable(dir, "last.dbf", 5000);
    return tables;
}

// What each table's progress came to, in the order shown: each line's final redraw.
QList<QByteArray> FinalLines(const QByteArray& errors) {
    QList<QByteArray> lines;
    for (const QByteArray& line : errors.split('\n')) {
        const QByteArray last = line.mid(line.lastIndexOf('\r') + 1);
        const qsizetype taken = last.indexOf(", in ");
        lines << (taken < 0 ? last : last.left(taken));
    }
    return lines;
}

// The same conversion with each number of `jobs` gives what `one` thread gave, byte for byte.
void SameAsOneThread(const Result& one, const QStringList& arguments,
                     std::initializer_list<const char*> jobs) {
    for (const char* count : jobs) {
        const Result many = Convert(QStringList{"--jobs", count} + arguments);
        QCOMPARE(many.status, one.status);
        QVERIFY2(many.errors == one.errors, many.errors.left(3000).constData());
        QCOMPARE(many.out.size(), one.out.size());
        QVERIFY2(many.out == one.out, count);
    }
}

} // namespace

class CompanionJobsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        tables_ = ManyTables(dir_);
    }

    void sameOutputWhateverTheJobs_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addRow("defaults") << QStringList{};
        QTest::addRow("strict") << QStringList{"--strict"};
        QTest::addRow("typed, with values that do not fit")
            << QStringList{"--dialect", "postgresql", "--types", "--null", "--names"};
        QTest::addRow("copy") << QStringList{"--copy", "--trim"};
        QTest::addRow("batches in transactions")
            << QStringList{"--dialect", "mysql", "--transaction", "--batch", "7", "--insert-only"};
    }
    void sameOutputWhateverTheJobs() {
        QFETCH(QStringList, options);
        const Result one = Convert(QStringList{"--jobs", "1"} + options + tables_);
        // The comparison means something only when the run has something to report.
        QCOMPARE(one.status, 1);
        QVERIFY(one.errors.contains("broken.dbf") && one.errors.contains("missing.dbf"));
        QVERIFY(one.errors.contains("cut.dbf"));
        QVERIFY(one.out.contains("last"));
        SameAsOneThread(one, options + tables_, {"2", "3", "8"});
    }

    // A large table cut into parts gives what one thread gives in every form: INSERTs of
    // several rows that go on across parts, one CREATE TABLE and COMMIT, COPY, the reports
    // of every part in their order and each loss reported once with its count.
    void largeTableInPartsIsTheSameAsOneThread_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addRow("defaults") << QStringList{};
        QTest::addRow("typed, with values that do not fit")
            << QStringList{"--types", "--null", "--dialect", "postgresql", "--names"};
        QTest::addRow("copy") << QStringList{"--copy", "--trim"};
        QTest::addRow("batches in transactions")
            << QStringList{"--dialect", "mysql", "--transaction", "--batch", "7", "--insert-only"};
        for (const char* database : {"sqlite", "postgresql", "mysql", "sqlserver"})
            QTest::addRow("--to %s", database) << QStringList{"--to", database};
        QTest::addRow("strict") << QStringList{"--strict"};
        QTest::addRow("deleted records delivered") << QStringList{"--deleted", "--batch", "5"};
    }
    void largeTableInPartsIsTheSameAsOneThread() {
        QFETCH(QStringList, options);
        const QString parted = PartedTable(dir_);
        QVERIFY(QFileInfo(parted).size() >= 12 << 20);
        const QString memo = dir_.filePath("parted.dbt");
        QVERIFY(QFileInfo(memo).size() >= 8 << 20);
        const QStringList tables{tables_.first(), parted, dir_.filePath("cut.dbf"), memo, parted};
        const Result one = Convert(QStringList{"--jobs", "1"} + options + tables);
        QCOMPARE(one.status, 1);
        QVERIFY2(one.errors.contains("memo values lost: "), one.errors.constData());
        QVERIFY(one.errors.contains("parted.dbt: a memo file, not a table: give its table "));
        SameAsOneThread(one, options + tables, {"2", "3"});
    }

    // Each part counts its records on the table's one final line.
    void largeTableInPartsShowsOneProgressLine() {
        const QStringList tables{PartedTable(dir_), tables_.first()};
        const Result one = Convert(QStringList{"--jobs", "1", "--progress"} + tables);
        const Result many = Convert(QStringList{"--jobs", "3", "--progress"} + tables);
        // One record in seven is deleted: 17,143 of the 120,000 the file holds.
        QVERIFY(
            one.errors.contains("parted.dbf: 102857 records delivered, 17143 deleted left out"));
        QCOMPARE(FinalLines(many.errors), FinalLines(one.errors));
        QCOMPARE(many.out, one.out);
    }

    void valuesThatDoNotFitAreReportedInTableOrder() {
        const Result typed = Convert(QStringList{"--jobs", "4", "--types"} + tables_);
        const QList<QByteArray> lines = typed.errors.split('\n');
        QStringList named;
        for (const QByteArray& line : lines)
            if (line.contains(", field fld1: \"n/a\" is no numeric"))
                named << QString::fromUtf8(line.left(line.indexOf(".dbf")));
        QVERIFY2(named.size() > 200, qPrintable(QString::number(named.size())));
        QVERIFY2(named.first().endsWith("large"), qPrintable(named.first()));
        QVERIFY(named.last().endsWith("last"));
    }

    void outputFileIsTheSameWhateverTheJobs() {
        const QString one = dir_.filePath("one.sql"), many = dir_.filePath("many.sql");
        const Result first = Convert(QStringList{"--jobs", "1", "-o", one} + tables_);
        const Result second = Convert(QStringList{"--jobs", "5", "-o", many} + tables_);
        QCOMPARE(second.status, first.status);
        QCOMPARE(second.errors, first.errors);
        QVERIFY(first.out.isEmpty() && second.out.isEmpty());
        // Long enough that the disk is asked to store it while it is written.
        QVERIFY(Bytes(one).size() > 10000000);
        QVERIFY(Bytes(many) == Bytes(one));
    }

    // Each table's final progress line comes in its turn, among the table's reports.
    void progressComesInTableOrder() {
        const QStringList some = tables_.mid(0, 40);
        const Result one = Convert(QStringList{"--jobs", "1", "--progress"} + some);
        const Result many = Convert(QStringList{"--jobs", "4", "--progress"} + some);
        QCOMPARE(many.status, one.status);
        QVERIFY(one.errors.contains(": 100000 records delivered, 0 deleted left out, in "));
        QCOMPARE(FinalLines(many.errors), FinalLines(one.errors));
        QCOMPARE(many.out, one.out);
    }

    // A write that fails stops every worker: no hang, the earlier file kept, the same
    // report as with one thread.
    void aFailingWriteStopsTheWorkers() {
        const QString output = dir_.filePath("limited.sql");
        QFile earlier(output);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
        earlier.close();
        const Result one = Convert(QStringList{"--jobs", "1", "-o", output} + tables_, "2000");
        const Result many = Convert(QStringList{"--jobs", "3", "-o", output} + tables_, "2000");
        QCOMPARE(one.status, 1);
        QCOMPARE(many.status, 1);
        QVERIFY2(many.errors.contains("the file is left as it was"), many.errors.constData());
        QCOMPARE(many.errors.trimmed().split('\n').last(), one.errors.trimmed().split('\n').last());
        QCOMPARE(Bytes(output), QByteArray("earlier"));
        QCOMPARE(QDir(dir_.path()).entryList({"limited.sql*"}, QDir::Files | QDir::Hidden).size(),
                 1);
    }

private:
    QTemporaryDir dir_;
    QStringList tables_;
};

QTEST_GUILESS_MAIN(CompanionJobsTest)
#include "CompanionJobsTest.moc"
