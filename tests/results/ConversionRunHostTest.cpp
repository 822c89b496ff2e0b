#include "results/ConversionRun.h"
#include "results/ResultsListModel.h"

#include "FakeCommandHost.h"
#include "samples/DbfWriter.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

// A table of two character fields and `records` records.
QString WriteTable(const QTemporaryDir& dir, const QString& name, int records) {
    DbfWriter writer;
    writer.addField("NUM", 'C', 4).addField("TAG", 'C', 2);
    for (int k = 1; k <= records; ++k)
        writer.addRecord({QString::number(k).rightJustified(4, u'0').toStdString(), "xy"});
    const QString path = dir.filePath(name);
    writer.write(path.toStdString());
    return path;
}

QStringList Rows(const ResultsListModel& results) {
    QStringList rows;
    for (int row = 0; row < results.count(); ++row)
        rows << results.textAt(row);
    return rows;
}

const QString kLocation = QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton2_Click ");

} // namespace

// Start Converting over a host without a window: what the run shows on the progress bar,
// and that it lets go of the host the moment the host is closing.
class ConversionRunHostTest : public QObject {
    Q_OBJECT

private slots:
    void progressWalksThroughEachTableAndBackToIdle() {
        QTemporaryDir dir;
        FakeCommandHost host;
        host.saveToFolderOption = false; // beside the original: no output folder needed
        host.inputs.append(WriteTable(dir, "a.dbf", 2));
        host.inputs.append(WriteTable(dir, "b.dbf", 1));
        QList<bool> busyAtYields;
        host.onYield = [&](int) {
            busyAtYields << host.busy;
            return true;
        };
        ConversionRun run(host, kLocation);
        run.PushButton2_Click();
        QCOMPARE(host.bar.calls,
                 QStringList({"value 50", "caption Processing: a.dbf", "row 1 in a.dbf",
                              "row 2 in a.dbf", "value 100", "caption Processing: b.dbf",
                              "row 1 in b.dbf", "value 0", "caption Progress Bar"}));
        QCOMPARE(busyAtYields, QList<bool>({true, true}));
        QVERIFY(!host.busy);
        QVERIFY(!run.isConverting());
        const QStringList rows = Rows(host.statements);
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows[0], QString("CREATE TABLE 'Table1_a' ('fld1' text,'fld2' text);"));
        QCOMPARE(rows[4], QString("INSERT INTO 'Table1_b' VALUES ('0001','xy');"));
        const auto boxes = host.scriptedPrompts.messages();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QString("Done."));
        QCOMPARE(boxes[0].title, host.title);
    }

    void closingHostIsLeftAtOnce() {
        QTemporaryDir dir;
        FakeCommandHost host;
        host.saveToFolderOption = false;
        host.inputs.append(WriteTable(dir, "a.dbf", 3));
        host.statements.append(std::string("an earlier result"));
        host.onYield = [](int) {
            return false;
        };
        ConversionRun run(host, kLocation);
        run.PushButton2_Click();
        QCOMPARE(host.yields, 1);
        QCOMPARE(host.statements.count(), 0);
        QCOMPARE(host.bar.calls, QStringList({"value 100", "caption Processing: a.dbf"}));
        QVERIFY(host.scriptedPrompts.shown.isEmpty());
    }

    void failuresAreReportedUnderTheLocationGiven() {
        QTemporaryDir dir;
        FakeCommandHost host;
        host.saveToFolderOption = false;
        host.inputs.append(dir.filePath("missing.dbf"));
        ConversionRun run(host, QStringLiteral("in Elsewhere.Run "));
        run.PushButton2_Click();
        const auto boxes = host.scriptedPrompts.messages();
        QCOMPARE(boxes.size(), 2); // the failure, then Done.
        QVERIFY2(boxes[0].text.contains("\r\nin Elsewhere.Run at line 150\r\r"),
                 qPrintable(boxes[0].text));
        QCOMPARE(boxes[1].text, QString("Done."));
    }
};

QTEST_MAIN(ConversionRunHostTest)
#include "ConversionRunHostTest.moc"
