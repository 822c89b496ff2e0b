// Finding a table's memo and code-page files whatever their letter case, also when the
// folder was listed before and has changed since.
#include "engine/dbf/SiblingFile.h"

#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using tabrivel::dbf::FindSiblingFile;

namespace {

void Touch(const fs::path& path) {
    std::ofstream(path) << "x";
}

// Makes the folder look untouched for an hour, so its listing may be kept.
void Settle(const fs::path& folder) {
    fs::last_write_time(folder, fs::file_time_type::clock::now() - std::chrono::hours(1));
}

} // namespace

class SiblingFileTest : public QObject {
    Q_OBJECT

private slots:
    void findsAnyLetterCase();
    void seesFilesAddedAfterAListing();
    void forgetsFilesRemovedAfterAListing();
    void switchesBetweenFolders();
};

void SiblingFileTest::findsAnyLetterCase() {
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    Touch(folder / "CUSTOMERS.DBF");
    Touch(folder / "customers.Fpt");
    QCOMPARE(FindSiblingFile(folder / "CUSTOMERS.DBF", ".fpt"), folder / "customers.Fpt");
    QCOMPARE(FindSiblingFile(folder / "CUSTOMERS.DBF", ".dbt"), std::nullopt);
}

void SiblingFileTest::seesFilesAddedAfterAListing() {
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    for (const char* name : {"a.dbf", "b.dbf"})
        Touch(folder / name);
    Settle(folder);
    QCOMPARE(FindSiblingFile(folder / "a.dbf", ".cpg"), std::nullopt);
    Touch(folder / "B.Cpg");
    QCOMPARE(FindSiblingFile(folder / "b.dbf", ".cpg"), folder / "B.Cpg");
}

void SiblingFileTest::forgetsFilesRemovedAfterAListing() {
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    Touch(folder / "a.dbf");
    Touch(folder / "A.Dbt");
    Settle(folder);
    QCOMPARE(FindSiblingFile(folder / "a.dbf", ".dbt"), folder / "A.Dbt");
    fs::remove(folder / "A.Dbt");
    QCOMPARE(FindSiblingFile(folder / "a.dbf", ".dbt"), std::nullopt);
}

void SiblingFileTest::switchesBetweenFolders() {
    QTemporaryDir first, second;
    const fs::path one = first.path().toStdString(), two = second.path().toStdString();
    Touch(one / "t.dbf");
    Touch(one / "T.Fpt");
    Touch(two / "t.dbf");
    Settle(one);
    Settle(two);
    QCOMPARE(FindSiblingFile(one / "t.dbf", ".fpt"), one / "T.Fpt");
    QCOMPARE(FindSiblingFile(two / "t.dbf", ".fpt"), std::nullopt);
    QCOMPARE(FindSiblingFile(one / "t.dbf", ".fpt"), one / "T.Fpt");
}

QTEST_GUILESS_MAIN(SiblingFileTest)
#include "SiblingFileTest.moc"
