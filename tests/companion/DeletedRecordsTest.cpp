// Deleted records on request: the window's text form, the typed forms and a database,
// with a field that already bears the deletion column's name.
#include "CompanionRunner.h"
#include "samples/DbfWriter.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

// A record deleted between two live ones, and a stored field named like the deletion
// column, as a hostile or careless writer may leave it.
std::string WritePeople(const QTemporaryDir& dir) {
    DbfWriter table(0x03, 0x03);
    table.addField("NAME", 'C', 5).addField("_DELETED", 'L', 1);
    table.addRecord({"Ann", "T"}).addRecord({"Bob", "F"}, true).addRecord({"Cy", "F"});
    const std::string path = dir.filePath("people.dbf").toStdString();
    table.write(path);
    return path;
}

} // namespace

class DeletedRecordsTest : public QObject {
    Q_OBJECT

private slots:
    // The window's form: by default the deleted record is left out, as the window leaves it;
    // asked for, it comes with one more value.
    void textFormGainsOneValue() {
        QTemporaryDir dir;
        const std::string table = WritePeople(dir);
        const CompanionResult plain = RunCompanionInto(dir.path(), {table});
        QCOMPARE(plain.status, 0);
        QCOMPARE(plain.script,
                 std::string("CREATE TABLE 'Table1_people' ('fld1' text,'fld2' text);\r\n"
                             "INSERT INTO 'Table1_people' VALUES ('Ann  ','True');\r\n"
                             "INSERT INTO 'Table1_people' VALUES ('Cy   ','False');\r\n"));
        const CompanionResult all = RunCompanionInto(dir.path(), {"--deleted", table});
        QCOMPARE(all.status, 0);
        QCOMPARE(
            all.script,
            std::string("CREATE TABLE 'Table1_people' ('fld1' text,'fld2' text,'fld3' text);\r\n"
                        "INSERT INTO 'Table1_people' VALUES ('Ann  ','True','False');\r\n"
                        "INSERT INTO 'Table1_people' VALUES ('Bob  ','False','True');\r\n"
                        "INSERT INTO 'Table1_people' VALUES ('Cy   ','False','False');\r\n"));
    }

    // The final progress line counts the deleted records left out, none when delivered.
    void progressCountsTheDeletedLeftOut() {
        QTemporaryDir dir;
        const std::string table = WritePeople(dir);
        const CompanionResult plain = RunCompanionInto(dir.path(), {"--progress", table});
        QVERIFY2(plain.errors.find("people.dbf: 2 records delivered, 1 deleted left out, in ") !=
                     std::string::npos,
                 plain.errors.c_str());
        const CompanionResult all =
            RunCompanionInto(dir.path(), {"--progress", "--deleted", "--to", "sqlite", table});
        QVERIFY2(all.errors.find("people.dbf: 3 records delivered, 0 deleted left out, in ") !=
                     std::string::npos,
                 all.errors.c_str());
    }

    // Typed, the column is a boolean named _deleted, and the field of that name is the one
    // told apart.
    void typedFormsGainABooleanColumn() {
        QTemporaryDir dir;
        const std::string table = WritePeople(dir);
        const CompanionResult result =
            RunCompanionInto(dir.path(), {"--deleted", "--to", "postgresql", table});
        QCOMPARE(result.status, 0);
        QVERIFY2(result.script.find("CREATE TABLE \"people\" (\"name\" varchar(5),\"_deleted_2\" "
                                    "boolean,\"_deleted\" boolean);") != std::string::npos,
                 result.script.c_str());
        QVERIFY2(result.script.find("Ann\tt\tf\r\nBob\tf\tt\r\nCy\tf\tf\r\n\\.") !=
                     std::string::npos,
                 result.script.c_str());
    }

    // Straight into SQLite, read back and compared cell by cell, the deleted one included.
    void loadedAndVerified() {
        QTemporaryDir dir;
        const std::string table = WritePeople(dir);
        const std::string database = dir.filePath("people.db").toStdString();
        const CompanionResult result = RunCompanionInto(
            dir.path(), {"--deleted", "--to", "sqlite", "--sqlite", database, "--verify", table});
        QCOMPARE(result.status, 0);
        QVERIFY2(result.errors.find("people.dbf: verified 3 rows") != std::string::npos,
                 result.errors.c_str());
    }
};

QTEST_GUILESS_MAIN(DeletedRecordsTest)
#include "DeletedRecordsTest.moc"
