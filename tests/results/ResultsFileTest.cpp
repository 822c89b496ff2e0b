#include "results/ResultsFile.h"

#include "../fs/AccessOverride.h"

#include "FileBytes.h"
#include "SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>
#include <string>

using namespace tabrivel;
using tabrivel::testing::ReadFileBytes;
using tabrivel::testing::SmallDisk;
using tabrivel::testing::WriteFileBytes;

namespace {

QStringList FolderEntries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

void WriteRows(const QString& path, const QList<QByteArray>& rows) {
    ResultsFile file(path);
    file.create();
    for (const QByteArray& row : rows)
        file.writeRow(std::string_view(row.constData(), std::size_t(row.size())));
    file.commit();
}

// The description a failed save of these rows gives; empty when the save succeeded.
QString FailureOfSave(const QString& path, const QList<QByteArray>& rows) {
    try {
        WriteRows(path, rows);
    } catch (const std::runtime_error& e) {
        return QString::fromUtf8(e.what());
    }
    return QString();
}

} // namespace

class ResultsFileTest : public QObject {
    Q_OBJECT

private slots:
    void writesEachRowWithCrLf_data();
    void writesEachRowWithCrLf();
    void rowsBeyondTheWriteBufferArriveWhole();
    void replacesAnEarlierFileOnlyOnCommit();
    void unwritableFolderFailsAndKeepsTheOldFile();
    void missingFolderFails();
    void failuresSayTheirCause_data();
    void failuresSayTheirCause();
};

void ResultsFileTest::writesEachRowWithCrLf_data() {
    QTest::addColumn<QList<QByteArray>>("rows");
    QTest::addColumn<QByteArray>("expected");
    QTest::addRow("no rows") << QList<QByteArray>{} << QByteArray();
    QTest::addRow("three rows")
        << QList<QByteArray>{"INSERT INTO 'a' VALUES (1);", "INSERT INTO 'a' VALUES (2);",
                             "INSERT INTO 'a' VALUES (3);"}
        << QByteArray("INSERT INTO 'a' VALUES (1);\r\nINSERT INTO 'a' VALUES (2);\r\n"
                      "INSERT INTO 'a' VALUES (3);\r\n");
    QTest::addRow("UTF-8 kept, no byte-order mark")
        << QList<QByteArray>{QString("'Zürich', 'Ωμέγα', '東京'").toUtf8()}
        << QString("'Zürich', 'Ωμέγα', '東京'\r\n").toUtf8();
    QTest::addRow("empty row gives an empty line")
        << QList<QByteArray>{"a", "", "b"} << QByteArray("a\r\n\r\nb\r\n");
}

void ResultsFileTest::writesEachRowWithCrLf() {
    QFETCH(QList<QByteArray>, rows);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("Tabrivel.txt");

    WriteRows(path, rows);
    QCOMPARE(ReadFileBytes(path), expected);
    QCOMPARE(FolderEntries(dir.path()), QStringList{"Tabrivel.txt"});
}

void ResultsFileTest::rowsBeyondTheWriteBufferArriveWhole() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Tabrivel.txt");
    QList<QByteArray> rows;
    QByteArray expected;
    for (int k = 0; k < 5000; ++k) {
        rows.append(QByteArray(k % 700, char('a' + k % 26)) + QByteArray::number(k));
        expected += rows.last() + "\r\n";
    }
    rows.append(QByteArray(3 << 20, 'z'));
    expected += rows.last() + "\r\n";

    WriteRows(path, rows);
    QCOMPARE(ReadFileBytes(path), expected);
}

void ResultsFileTest::replacesAnEarlierFileOnlyOnCommit() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Tabrivel.txt");
    QVERIFY(WriteFileBytes(path, "earlier results\r\n"));
    {
        ResultsFile file(path);
        file.create();
        file.writeRow(std::string(2 << 20, 'x')); // reaches the disk before the end
        QCOMPARE(ReadFileBytes(path), QByteArray("earlier results\r\n"));
    }
    QCOMPARE(ReadFileBytes(path), QByteArray("earlier results\r\n"));
    QCOMPARE(FolderEntries(dir.path()), QStringList{"Tabrivel.txt"});

    WriteRows(path, {"new"});
    QCOMPARE(ReadFileBytes(path), QByteArray("new\r\n"));
}

void ResultsFileTest::unwritableFolderFailsAndKeepsTheOldFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath("Tabrivel.txt");
    QVERIFY(WriteFileBytes(path, "earlier results\r\n"));
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    {
        const WithoutAccessOverride asAnyUser;
        ResultsFile file(path);
        try {
            file.create();
            file.writeRow("row");
            file.commit();
            QFAIL("a save into a read-only folder succeeded");
        } catch (const std::runtime_error& e) {
            QCOMPARE(QString(e.what()),
                     "Cannot create " + QDir::toNativeSeparators(path) +
                         ": Permission denied. Choose a folder you may write to. Any earlier "
                         "file of that name is unchanged.");
        }
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(ReadFileBytes(path), QByteArray("earlier results\r\n"));
    QCOMPARE(FolderEntries(dir.path()), QStringList{"Tabrivel.txt"});
}

void ResultsFileTest::missingFolderFails() {
    QTemporaryDir dir;
    ResultsFile file(dir.filePath("gone/Tabrivel.txt"));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, file.create());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, file.writeRow("row"));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, file.commit());
    QVERIFY(!QFileInfo::exists(dir.filePath("gone")));
}

// On a real small disk: a save that fills it, a read-only one with and without an
// earlier file. Each names the cause and the path, and nothing earlier is lost.
void ResultsFileTest::failuresSayTheirCause_data() {
    QTest::addColumn<QString>("disk");
    QTest::addColumn<QByteArray>("earlier");
    QTest::addColumn<QString>("expected");
    QTest::addRow("disk fills up")
        << "full" << QByteArray("earlier results\r\n")
        << "Cannot write to <path>: No space left on device. Free some space on that disk or "
           "choose another folder.";
    QTest::addRow("read-only, no earlier file")
        << "read-only" << QByteArray()
        << "Cannot create <path>: Read-only file system. Choose a folder you may write to.";
    QTest::addRow("read-only, earlier file")
        << "read-only" << QByteArray("earlier results\r\n")
        << "Cannot create <path>: Read-only file system. Choose a folder you may write to.";
}

void ResultsFileTest::failuresSayTheirCause() {
    QFETCH(QString, disk);
    QFETCH(QByteArray, earlier);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    SmallDisk small(dir.path(), 256);
    if (!small.mounted())
        QSKIP("mounting a small file system needs root or a user namespace");
    const QString path = dir.filePath("Tabrivel.txt");
    if (!earlier.isEmpty())
        QVERIFY(WriteFileBytes(path, earlier));
    if (disk == "read-only")
        QVERIFY(small.makeReadOnly());
    QList<QByteArray> rows(40, QByteArray(16 << 10, 'r')); // 640 KiB onto 256 KiB

    const QString failure = FailureOfSave(path, rows);

    expected.replace("<path>", QDir::toNativeSeparators(path));
    QCOMPARE(failure, expected + " Any earlier file of that name is unchanged.");
    QCOMPARE(ReadFileBytes(path), earlier.isEmpty() ? QByteArray("<no file>") : earlier);
    QCOMPARE(FolderEntries(dir.path()),
             earlier.isEmpty() ? QStringList() : QStringList{"Tabrivel.txt"});
}

QTEST_GUILESS_MAIN(ResultsFileTest)
#include "ResultsFileTest.moc"
