#include "ResultsFile.h"

#include "../fs/AccessOverride.h"

#include "FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>
#include <string>

using namespace tabrivel;
using tabrivel::testing::ReadFileBytes;
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
            QVERIFY2(QString(e.what()).contains(QDir::toNativeSeparators(path)), e.what());
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

QTEST_GUILESS_MAIN(ResultsFileTest)
#include "ResultsFileTest.moc"
