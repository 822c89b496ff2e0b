#include "SampleTables.h"

#include "engine/Conversion.h"
#include "engine/TableError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <string>
#include <vector>

using namespace tabrivel;

namespace {

const QString kCommitted = QStringLiteral(TABRIVEL_SAMPLES_DIR);

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Every statement of the table with the window's default options.
QStringList Convert(const QString& path) {
    QStringList statements;
    const std::string base = QFileInfo(path).completeBaseName().toStdString();
    ConvertTable(QFile::encodeName(path).toStdString(), base, ConversionOptions{}, ValueFormat(),
                 [&](std::string_view statement) {
                     statements << QString::fromUtf8(statement.data(),
                                                     static_cast<qsizetype>(statement.size()));
                 });
    return statements;
}

} // namespace

class SampleTablesTest : public QObject {
    Q_OBJECT

private slots:
    // The shipped files are exactly what the tool writes, so a change to the tool cannot
    // be forgotten in the committed copies (or the other way round).
    void committedTablesAreTheToolsOutput() {
        QTemporaryDir fresh;
        samples::WriteSampleTables(QFile::encodeName(fresh.path()).toStdString());
        const QStringList written = QDir(fresh.path()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(QDir(kCommitted).entryList(QDir::Files, QDir::Name), written);
        QCOMPARE(written.size(), 7);
        for (const QString& name : written) {
            if (Bytes(kCommitted + "/" + name) != Bytes(fresh.filePath(name)))
                QFAIL(qPrintable(name + " differs from the tool's output"));
        }
    }

    void everySampleConverts_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("records");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("absent");
        QTest::addRow("dBase III customers")
            << "CUSTOMER.DBF" << 9
            << QStringList{"'O''Brien Hardware ", "'Jürgen Müller ", "'Société Lumière ",
                           "'1998-04-12','2500','True');"}
            << "Nordlys"; // the deleted record
        QTest::addRow("FoxPro 2 products with memos")
            << "PRODUCTS.DBF" << 8
            << QStringList{"'Fibreglass handle.\r\nShipped in boxes of 6.');",
                           "'Steel ruler 30 cm / 12\" ", "Do not store below 5 °C.",
                           "'0','True','');"}
            << "";
        QTest::addRow("Visual FoxPro orders")
            << "ORDERS.DBF" << 8
            << QStringList{"VALUES ('10250','5','2024-03-05 16:05:00','','15499','12.5','False',",
                           "'-45.5'", "'25999.99'", "'2024-03-15 23:59:00','','0',"}
            << "";
        QTest::addRow("dBase IV staff")
            << "STAFF.DBF" << 6
            << QStringList{"'René ", "'0.075'", "'Keeps the dBase IV reports running.');"} << "";
        QTest::addRow("Cyrillic clients")
            << "KLIENTY.DBF" << 6
            << QStringList{"'Семёнов ", "'Пётр ", "'Санкт-Петербург ", "'-1250.5'"} << "";
    }
    void everySampleConverts() {
        QFETCH(QString, table);
        QFETCH(int, records);
        QFETCH(QStringList, present);
        QFETCH(QString, absent);
        QStringList statements;
        try {
            statements = Convert(kCommitted + "/" + table);
        } catch (const TableError& error) {
            QFAIL(error.what());
        }
        QCOMPARE(statements.size(), records + 1);
        QVERIFY(statements.first().startsWith("CREATE TABLE"));
        const QString all = statements.join('\n');
        for (const QString& fragment : present) {
            if (!all.contains(fragment))
                QFAIL(qPrintable("missing: " + fragment));
        }
        if (!absent.isEmpty())
            QVERIFY(!all.contains(absent));
    }
};

QTEST_GUILESS_MAIN(SampleTablesTest)
#include "SampleTablesTest.moc"
