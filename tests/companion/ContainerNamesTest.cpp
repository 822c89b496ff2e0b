// Long field names from a Visual FoxPro database container: taken with --names, written
// through the same name rules as any field name, and a container that is missing, damaged
// or does not fit the table a warning that fails nothing.
#include "CompanionRunner.h"
#include "samples/DbfWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

struct ContainerObject {
    std::uint32_t id;
    std::uint32_t parent;
    std::string type;
    std::string name;
    bool deleted = false;
};

// A container's objects table as Visual FoxPro lays it out (its memo fields left empty).
void WriteContainer(const QTemporaryDir& dir, const QString& name,
                    const std::vector<ContainerObject>& objects) {
    DbfWriter container(0x30);
    container.addField("OBJECTID", 'I', 4).addField("PARENTID", 'I', 4);
    container.addField("OBJECTTYPE", 'C', 10).addField("OBJECTNAME", 'C', 128);
    container.addField("PROPERTY", 'M', 4);
    for (const ContainerObject& object : objects)
        container.addRecord(
            {Little32(object.id), Little32(object.parent), object.type, object.name, Little32(0)},
            object.deleted);
    container.write(dir.filePath(name).toStdString());
}

// A table of the container, which stores its names cut to ten characters.
std::string WriteCustomers(const QTemporaryDir& dir, const std::string& link) {
    DbfWriter table(0x30);
    table.setContainerLink(link);
    table.addField("CUSTOMER_I", 'I', 4).addField("COMPANY_NA", 'C', 8);
    table.addRecord({Little32(7), "Acme"});
    const std::string path = dir.filePath("customers.dbf").toStdString();
    table.write(path);
    return path;
}

const std::vector<ContainerObject> kShop = {
    {1, 1, "Database", "Database"},  {2, 1, "Table", "orders"},
    {3, 2, "Field", "order_number"}, {4, 1, "Table", "Customers"},
    {5, 4, "Field", "customer_id"},  {6, 4, "Field", "dropped_once", true},
    {7, 4, "Field", "company_name"},
};

} // namespace

class ContainerNamesTest : public QObject {
    Q_OBJECT

private slots:
    // The link names the writer's folders; the container is found beside the table, in
    // whatever case the copy left it.
    void namesComeFromTheContainer() {
        QTemporaryDir dir;
        WriteContainer(dir, "SHOP.DBC", kShop);
        const std::string table = WriteCustomers(dir, "..\\data\\shop.dbc");
        const CompanionResult result = RunCompanionInto(dir.path(), {"--to", "postgresql", table});
        QCOMPARE(result.status, 0);
        QCOMPARE(result.errors, std::string());
        QVERIFY2(result.script.find("CREATE TABLE \"customers\" (\"customer_id\" integer,"
                                    "\"company_name\" varchar(8));") != std::string::npos,
                 result.script.c_str());
        // Without --names the columns are the window's, and no container is read.
        const CompanionResult window = RunCompanionInto(dir.path(), {table});
        QVERIFY2(window.script.starts_with("CREATE TABLE 'Table1_customers' ('fld1' text,'fld2' "
                                           "text);"),
                 window.script.c_str());
    }

    void unusableContainerIsAWarning_data() {
        QTest::addColumn<QString>("containerFile");
        QTest::addColumn<int>("objects"); // how many of kShop the container holds
        QTest::addColumn<QString>("said");
        QTest::addRow("missing") << "other.dbc" << 7
                                 << "its database container shop.dbc is not beside it";
        QTest::addRow("too few names")
            << "shop.dbc" << 5 << "names 1 fields for the table customers, which has 2";
        QTest::addRow("no such table") << "shop.dbc" << 3 << "names no table customers";
    }
    void unusableContainerIsAWarning() {
        QFETCH(QString, containerFile);
        QFETCH(int, objects);
        QFETCH(QString, said);
        QTemporaryDir dir;
        WriteContainer(dir, containerFile, {kShop.begin(), kShop.begin() + objects});
        const std::string table = WriteCustomers(dir, "shop.dbc");
        const CompanionResult result = RunCompanionInto(dir.path(), {"--names", "--strict", table});
        QCOMPARE(result.status, 0);
        QVERIFY2(result.errors.find("customers.dbf: warning: ") != std::string::npos &&
                     result.errors.find(said.toStdString()) != std::string::npos &&
                     result.errors.find("the field names stored in the table were used") !=
                         std::string::npos,
                 result.errors.c_str());
        QVERIFY2(result.script.find("('CUSTOMER_I' text,'COMPANY_NA' text)") != std::string::npos,
                 result.script.c_str());
    }

    // A table large enough to be cut into parts for several workers: every part writes the
    // container's names, and a container that fails is reported once.
    void tableInPartsTakesTheNamesOnce() {
        QTemporaryDir dir;
        DbfWriter table(0x30);
        table.setContainerLink("shop.dbc");
        table.addField("CUSTOMER_I", 'I', 4).addField("COMPANY_NA", 'C', 250);
        for (std::uint32_t k = 0; k < 40000; ++k)
            table.addRecord({Little32(k), "company " + std::to_string(k)});
        const std::string path = dir.filePath("customers.dbf").toStdString();
        table.write(path);
        WriteContainer(dir, "shop.dbc", kShop);
        const CompanionResult one = RunCompanionInto(dir.path(), {"-j1", "--to", "sqlite", path});
        const CompanionResult many = RunCompanionInto(dir.path(), {"-j4", "--to", "sqlite", path});
        QCOMPARE(many.status, 0);
        QVERIFY(many.script.find("\"customer_id\" integer,\"company_name\"") != std::string::npos);
        QVERIFY(many.script == one.script);

        QVERIFY(QFile::remove(dir.filePath("shop.dbc")));
        const CompanionResult missing =
            RunCompanionInto(dir.path(), {"-j4", "--to", "sqlite", path});
        QCOMPARE(missing.status, 0);
        QCOMPARE(QByteArray::fromStdString(missing.errors).count("is not beside it"), 1);
    }

    void damagedContainerIsAWarning() {
        QTemporaryDir dir;
        QFile damaged(dir.filePath("shop.dbc"));
        QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("not a table") == 11);
        damaged.close();
        const std::string table = WriteCustomers(dir, "shop.dbc");
        const CompanionResult result = RunCompanionInto(dir.path(), {"--names", table});
        QCOMPARE(result.status, 0);
        QVERIFY2(result.errors.find("its database container shop.dbc cannot be read") !=
                     std::string::npos,
                 result.errors.c_str());
    }

    // A long name is as hostile as any other: it reaches the statement only through the
    // name rules, here doubling the quote and cut to what PostgreSQL takes.
    void hostileLongNamesAreWrittenSafely() {
        QTemporaryDir dir;
        const std::string hostile = "x\"); DROP TABLE victim; --" + std::string(60, 'y');
        auto objects = kShop;
        objects[6].name = hostile;
        WriteContainer(dir, "shop.dbc", objects);
        const std::string table = WriteCustomers(dir, "shop.dbc");
        const CompanionResult result = RunCompanionInto(dir.path(), {"--to", "postgresql", table});
        QCOMPARE(result.status, 0);
        QVERIFY2(result.script.find("\"x\"\"); drop table victim; --yyy") != std::string::npos,
                 result.script.c_str());
        QVERIFY(result.script.find("\"x\");") == std::string::npos);
        QVERIFY2(result.errors.find("is longer than the database takes") != std::string::npos,
                 result.errors.c_str());
    }
};

QTEST_GUILESS_MAIN(ContainerNamesTest)
#include "ContainerNamesTest.moc"
