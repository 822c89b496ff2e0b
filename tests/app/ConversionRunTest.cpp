#include "results/ConversionRun.h"
#include "AccessOverride.h"
#include "StarvedRecordTable.h"
#include "WindowFixture.h"
#include "app/CaptionedProgressBar.h"
#include "engine/TableSource.h"
#include "fs/NativePath.h"
#include "inputs/InputListModel.h"
#include "results/ResultsListModel.h"
#include "samples/DbfWriter.h"
#include "shell/ErrorReport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#ifndef Q_OS_WIN
#include <cstdio>
#endif

using namespace tabrivel;
using tabrivel::DbfWriter;
using tabrivel::testing::InputRows;
using tabrivel::testing::ScriptedPrompts;
using tabrivel::testing::ShownBox;
using tabrivel::testing::StarvedRecordTable;

namespace {

// Forwards to scripted answers and notes what the window showed at each box.
class TracingPrompts final : public Prompts {
public:
    ScriptedPrompts script;
    std::function<void(const QString& text)> beforeBox;

    BoxAnswer messageBox(const QString& title, const QString& text, BoxIcon icon,
                         BoxButtons buttons) override {
        if (beforeBox)
            beforeBox(text);
        return script.messageBox(title, text, icon, buttons);
    }
    std::optional<QString> inputBox(const QString& title, const QString& prompt,
                                    const QString& defaultText) override {
        return script.inputBox(title, prompt, defaultText);
    }
    QStringList openFiles(const QString& title, const QString& filter, bool multi) override {
        return script.openFiles(title, filter, multi);
    }
    QString existingDirectory(const QString& title, const QString& start) override {
        return script.existingDirectory(title, start);
    }
    void clearClipboard() override { script.clearClipboard(); }
    void setClipboardText(const QString& text) override { script.setClipboardText(text); }
    bool openUrl(const QUrl& url) override { return script.openUrl(url); }
};

// A table of two character fields: a four-digit record number and "xy".
void WriteTable(const QString& path, int records, int claimedRecords = -1) {
    DbfWriter writer;
    writer.addField("NUM", 'C', 4).addField("TAG", 'C', 2);
    for (int k = 1; k <= records; ++k)
        writer.addRecord({QString::number(k).rightJustified(4, u'0').toStdString(), "xy"});
    if (claimedRecords >= 0)
        writer.setRecordCount(static_cast<std::uint32_t>(claimedRecords));
    writer.write(path.toStdString());
}

QString Insert(const QString& name, int k, bool semicolon = true) {
    return QStringLiteral("INSERT INTO %1 VALUES ('%2','xy')%3")
        .arg(name, QString::number(k).rightJustified(4, u'0'), semicolon ? ";" : "");
}

QString Create(const QString& name) {
    return QStringLiteral("CREATE TABLE %1 ([fld1] text,[fld2] text);").arg(name);
}

QStringList AllResults(const MainWindow& window) {
    QStringList rows;
    for (int row = 0; row < window.results().count(); ++row)
        rows << window.results().textAt(row);
    return rows;
}

struct Snapshot {
    int value;
    QString caption;
    int results;
};

// A window over tracing prompts, options set for square brackets and table name T, and a
// folder of tables; every yield of a run is noted with what the bar showed.
class RunFixture {
public:
    testing::TempSettings store;
    TracingPrompts prompts;
    QTemporaryDir tables;
    std::unique_ptr<MainWindow> window;
    QList<Snapshot> yields;
    std::function<void()> atYield;

    RunFixture() {
        window = std::make_unique<MainWindow>(
            ShellContext{prompts, store.settings(), [] { return 0.5; }, tables.path()});
        text("Text1")->setText("T");
        text("Text2")->setText("[");
        option("Option2")->setChecked(true); // no output folder needed
        window->conversion().setValueFormat(ValueFormat());
        window->conversion().setYieldObserver([this] {
            yields.append(snapshot());
            if (atYield)
                atYield();
        });
    }

    QString table(const QString& name, int records, int claimedRecords = -1) {
        const QString path = tables.filePath(name);
        WriteTable(path, records, claimedRecords);
        return path;
    }
    void add(const QString& path) { window->inputList().append(path); }
    void start() { button("PushButton2")->click(); }

    Snapshot snapshot() const {
        return {bar().value(), bar().caption(), window->results().count()};
    }
    CaptionedProgressBar& bar() const {
        return dynamic_cast<CaptionedProgressBar&>(*window->control("ProgressBar1"));
    }
    QLineEdit* text(const char* name) const {
        return qobject_cast<QLineEdit*>(window->control(name));
    }
    QRadioButton* option(const char* name) const {
        return qobject_cast<QRadioButton*>(window->control(name));
    }
    QCheckBox* check3() const { return qobject_cast<QCheckBox*>(window->control("Check3")); }
    QPushButton* button(const char* name) const {
        return qobject_cast<QPushButton*>(window->control(name));
    }
    QStringList messages() const {
        QStringList texts;
        for (const auto& box : prompts.script.messages())
            texts << box.text;
        return texts;
    }
};

// Notes the caption the bar shows at each of its paints.
class PaintRecorder final : public QObject {
public:
    PaintRecorder(CaptionedProgressBar& bar, QStringList& painted) : bar_(bar), painted_(painted) {
        bar.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted_ << bar_.text();
        return false;
    }

private:
    CaptionedProgressBar& bar_;
    QStringList& painted_;
};

} // namespace

class ConversionRunTest : public QObject {
    Q_OBJECT

private slots:
    void filesAddedByTheDialogAreConverted();
    void refusalsKeepTheOldResults_data();
    void refusalsKeepTheOldResults();
    void twoFilesInOrderWithTheirProgress();
    void tableWithoutRecords_data();
    void tableWithoutRecords();
    void yieldsAtFileStartAndEveryThousandRecords();
    void secondClickDuringAYieldIsIgnored();
    void optionsChangedDuringAYieldTakeEffectNext();
    void clearCommandsDuringARun();
    void unreadableTableIsReportedOnceAndSkipped_data();
    void unreadableTableIsReportedOnceAndSkipped();
    void unopenedTableSaysWhy_data();
    void unopenedTableSaysWhy();
    void lossyTableIsReportedOnceAfterItsRows();
    void nulInAMemoIsReportedWhereItIsLost_data();
    void nulInAMemoIsReportedWhereItIsLost();
    void statementOutOfMemoryEndsItsTable();
    void closingTheWindowEndsTheRun();
    void windowDestroyedDuringARunIsNotTouched();
    void captionIsShownAsWritten_data();
    void captionIsShownAsWritten();
    void latestCaptionIsPaintedAfterAQuickChange();
#ifndef Q_OS_WIN
    void undecodableFileNameIsScannedAndConverted();
#endif
};

void ConversionRunTest::filesAddedByTheDialogAreConverted() {
    RunFixture run;
    run.prompts.script.fileAnswers.enqueue({run.table("b.dbf", 1), run.table("a.dbf", 1)});
    run.button("PushButton1")->click();
    QCOMPARE(run.window->inputList().count(), 2);
    run.start();
    QCOMPARE(AllResults(*run.window), (QStringList{Create("[T_b]"), Insert("[T_b]", 1),
                                                   Create("[T_a]"), Insert("[T_a]", 1)}));
}

void ConversionRunTest::refusalsKeepTheOldResults_data() {
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<bool>("saveToFolder");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("message");
    QTest::addRow("empty input list") << false << false << ""
                                      << "No files added.";
    QTest::addRow("missing output folder")
        << true << true << "/no/such/folder"
        << "Folder does not exist. Please select another folder.";
    QTest::addRow("output folder that is a file")
        << true << true << "TABLE"
        << "Folder does not exist. Please select another folder.";
    QTest::addRow("beside the originals, folder not looked at")
        << true << false << "/no/such/folder"
        << "Done.";
}

void ConversionRunTest::refusalsKeepTheOldResults() {
    QFETCH(bool, withFile);
    QFETCH(bool, saveToFolder);
    QFETCH(QString, folder);
    QFETCH(QString, message);
    RunFixture run;
    const QString path = run.table("a.dbf", 1);
    if (withFile)
        run.add(path);
    run.option(saveToFolder ? "Option1" : "Option2")->setChecked(true);
    qobject_cast<QLineEdit*>(run.window->control("Text3"))
        ->setText(folder == "TABLE" ? path : folder);
    run.window->results().append("old statement");

    run.start();

    QCOMPARE(run.messages(), QStringList{message});
    const ShownBox box = run.prompts.script.messages().front();
    QCOMPARE(box.title, run.window->applicationTitle());
    QCOMPARE(box.icon, BoxIcon::None);
    QCOMPARE(box.buttons, BoxButtons::Ok);
    const bool refused = message != "Done.";
    QCOMPARE(AllResults(*run.window).contains("old statement"), refused);
    QCOMPARE(run.yields.isEmpty(), refused);
    QVERIFY(!run.window->conversion().isConverting());
    QVERIFY(!run.window->pointer().isBusy());
}

void ConversionRunTest::twoFilesInOrderWithTheirProgress() {
    RunFixture run;
    run.add(run.table("first.dbf", 2));
    run.add(run.table("second.DBF", 1));
    QList<Snapshot> atBox;
    run.prompts.beforeBox = [&](const QString&) {
        atBox.append(run.snapshot());
    };

    run.start();

    QCOMPARE(AllResults(*run.window),
             (QStringList{Create("[T_first]"), Insert("[T_first]", 1), Insert("[T_first]", 2),
                          Create("[T_second]"), Insert("[T_second]", 1)}));
    QCOMPARE(run.yields.size(), 2);
    QCOMPARE(run.yields[0].value, 50);
    QCOMPARE(run.yields[0].caption, "Processing: first.dbf");
    QCOMPARE(run.yields[0].results, 0);
    QCOMPARE(run.yields[1].value, 100);
    QCOMPARE(run.yields[1].caption, "Processing: second.DBF");
    QCOMPARE(run.yields[1].results, 3);
    QCOMPARE(run.messages(), QStringList{"Done."});
    QCOMPARE(atBox.front().value, 0);
    QCOMPARE(atBox.front().caption, "Progress Bar");
    QVERIFY(!run.window->pointer().isBusy());
    QVERIFY(!run.window->conversion().isConverting());
    // The views are told about every row once the run is over.
    QTRY_COMPARE(run.window->results().rowCount(), 5);
}

void ConversionRunTest::tableWithoutRecords_data() {
    QTest::addColumn<bool>("createTable");
    QTest::addColumn<QStringList>("expected");
    QTest::addRow("create table mode")
        << true << QStringList{Create("[T_empty]"), Create("[T_after]")};
    QTest::addRow("insert only") << false << QStringList{};
}

void ConversionRunTest::tableWithoutRecords() {
    QFETCH(bool, createTable);
    QFETCH(QStringList, expected);
    RunFixture run;
    run.option(createTable ? "Option7" : "Option6")->setChecked(true);
    run.add(run.table("empty.dbf", 0));
    run.add(run.table("after.dbf", 0));
    run.start();
    QCOMPARE(AllResults(*run.window), expected);
    QCOMPARE(run.yields.size(), 2); // the file starts only
    QCOMPARE(run.messages(), QStringList{"Done."});
}

void ConversionRunTest::yieldsAtFileStartAndEveryThousandRecords() {
    RunFixture run;
    run.add(run.table("big.dbf", 2500));
    run.add(run.table("next.dbf", 0));
    QString lastRowCaption;
    run.atYield = [&] {
        if (run.yields.size() == 4) // the next file's start: the big file is done
            lastRowCaption = run.yields[2].caption;
    };
    run.start();
    QCOMPARE(run.yields.size(), 4);
    QCOMPARE(run.yields[0].caption, "Processing: big.dbf");
    QCOMPARE(run.yields[1].caption, "Processing row: 1000 in: big.dbf");
    QCOMPARE(run.yields[2].caption, "Processing row: 2000 in: big.dbf");
    // Yields come before the statement of their record is built.
    QCOMPARE(run.yields[1].results, 1 + 999);
    QCOMPARE(run.yields[2].results, 1 + 1999);
    QCOMPARE(run.yields[3].results, 1 + 2500);
    QCOMPARE(run.window->results().count(), 1 + 2500 + 1);
    QCOMPARE(run.window->results().textAt(2500), Insert("[T_big]", 2500));
}

void ConversionRunTest::secondClickDuringAYieldIsIgnored() {
    RunFixture run;
    run.add(run.table("a.dbf", 3));
    run.add(run.table("b.dbf", 2));
    run.atYield = [&] {
        run.start();
    };
    run.start();
    QCOMPARE(run.yields.size(), 2);
    QCOMPARE(run.messages(), QStringList{"Done."});
    QCOMPARE(run.window->results().count(), 1 + 3 + 1 + 2);
    QVERIFY(!run.window->conversion().isConverting());
    // A later click runs again.
    run.atYield = nullptr;
    run.start();
    QCOMPARE(run.messages(), (QStringList{"Done.", "Done."}));
    QCOMPARE(run.window->results().count(), 7);
}

void ConversionRunTest::optionsChangedDuringAYieldTakeEffectNext() {
    RunFixture run;
    run.add(run.table("a.dbf", 1001));
    run.add(run.table("b.dbf", 1));
    run.atYield = [&] {
        if (run.yields.size() != 2) // the yield before record 1000
            return;
        run.text("Text1")->setText("N");
        run.check3()->setChecked(false);
        run.text("Text2")->setText("\""); // read once per run: no effect
        run.option("Option6")->setChecked(true);
    };
    run.start();
    const QStringList rows = AllResults(*run.window);
    QCOMPARE(rows.size(), 1 + 1001 + 1);
    QCOMPARE(rows[0], Create("[T_a]"));
    QCOMPARE(rows[999], Insert("[T_a]", 999));
    QCOMPARE(rows[1000], Insert("[N_a]", 1000, false));
    QCOMPARE(rows[1001], Insert("[N_a]", 1001, false));
    // Insert-only from the next file on.
    QCOMPARE(rows[1002], Insert("[N_b]", 1, false));
}

void ConversionRunTest::clearCommandsDuringARun() {
    RunFixture run;
    run.add(run.table("a.dbf", 2));
    run.add(run.table("b.dbf", 1));
    run.atYield = [&] {
        if (run.yields.size() != 2)
            return;
        QVERIFY(run.window->pointer().isBusy());
        run.button("PushButton7")->click(); // refused while busy
        run.button("PushButton9")->click(); // never refused
    };
    run.start();
    QCOMPARE(run.window->inputList().count(), 2);
    QCOMPARE(AllResults(*run.window), (QStringList{Create("[T_b]"), Insert("[T_b]", 1)}));
    QCOMPARE(run.messages(), QStringList{"Done."});
    // Idle again, Clear List empties the list.
    run.button("PushButton7")->click();
    QCOMPARE(run.window->inputList().count(), 0);
}

void ConversionRunTest::unreadableTableIsReportedOnceAndSkipped_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("statement");
    QTest::addColumn<int>("rowsKept");
    QTest::addRow("missing file") << "missing" << 150 << 0;
    QTest::addRow("not a table") << "junk" << 150 << 0;
    QTest::addRow("records cut short") << "truncated" << 204 << 1 + 3;
}

void ConversionRunTest::unreadableTableIsReportedOnceAndSkipped() {
    QFETCH(QString, kind);
    QFETCH(int, statement);
    QFETCH(int, rowsKept);
    RunFixture run;
    run.add(run.table("a.dbf", 2));
    const QString broken = run.tables.filePath("broken.dbf");
    if (kind == "junk") {
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("this is not a table at all, just some text");
    } else if (kind == "truncated") {
        WriteTable(broken, 3, 5);
    }
    run.add(broken);
    run.add(run.table("c.dbf", 1));

    run.start();

    const QList<ShownBox> boxes = run.prompts.script.messages();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[0].title, kErrorBoxTitle);
    QVERIFY2(
        boxes[0].text.contains(QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton2_Click ") +
                               "at line " + QString::number(statement) + "\r\r"),
        qPrintable(boxes[0].text));
    QVERIFY(boxes[0].text.contains("broken.dbf"));
    QCOMPARE(boxes[1].text, "Done.");
    const QStringList rows = AllResults(*run.window);
    QCOMPARE(rows.size(), 3 + rowsKept + 2);
    QCOMPARE(rows.front(), Create("[T_a]"));
    QCOMPARE(rows.mid(rows.size() - 2), (QStringList{Create("[T_c]"), Insert("[T_c]", 1)}));
    if (rowsKept > 0)
        QCOMPARE(rows[3 + rowsKept - 1], Insert("[T_broken]", 3));
}

// A table that cannot be opened is reported with the reason, in words, as a failed save
// is: the box's first line is the table's name and why.
void ConversionRunTest::unopenedTableSaysWhy_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::addRow("missing") << "missing"
                             << "file not found";
    QTest::addRow("a folder") << "folder"
                              << "a folder, not a DBF table";
    QTest::addRow("no read permission") << "unreadable"
                                        << "cannot be opened: Permission denied";
    QTest::addRow("below a file") << "below a file"
                                  << "cannot be opened: Not a directory";
    QTest::addRow("text, not a table") << "text"
                                       << "unknown version byte 0x74, not a DBF table";
}

void ConversionRunTest::unopenedTableSaysWhy() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    RunFixture run;
    QString broken = run.tables.filePath("broken.dbf");
    if (kind == "folder") {
        QVERIFY(QDir().mkdir(broken));
    } else if (kind == "unreadable") {
        WriteTable(broken, 1);
        QVERIFY(QFile::setPermissions(broken, QFileDevice::WriteOwner));
    } else if (kind == "below a file") {
        broken = run.table("a.dbf", 1) + "/broken.dbf";
    } else if (kind == "text") {
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("this is not a table at all, just some text");
    }
    run.add(broken);
    {
        const WithoutAccessOverride asAnyUser;
        run.start();
    }

    const QList<ShownBox> boxes = run.prompts.script.messages();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[0].text.section("\r\n", 0, 0), "broken.dbf: " + reason);
    QVERIFY2(boxes[0].text.contains("PushButton2_Click at line 150\r\r"),
             qPrintable(boxes[0].text));
    QCOMPARE(boxes[1].text, "Done.");
    QCOMPARE(run.window->results().count(), 0);
}

// A Visual FoxPro table whose memo file is gone and whose records are cut short: its
// rows arrive with empty memos, one box after them names both losses and the statement
// that met the first, and the run goes on.
void ConversionRunTest::lossyTableIsReportedOnceAfterItsRows() {
    RunFixture run;
    DbfWriter writer(0x30);
    writer.addField("NUM", 'C', 4).addField("NOTE", 'M', 4).setRecordCount(3);
    writer.addRecord({"0001", Little32(8)}).addRecord({"0002", Little32(9)});
    const QString lossy = run.tables.filePath("lossy.dbf");
    writer.write(lossy.toStdString());
    run.add(lossy);
    run.add(run.table("c.dbf", 1));
    QList<int> resultsAtBox;
    run.prompts.beforeBox = [&](const QString&) {
        resultsAtBox.append(run.window->results().count());
    };

    run.start();

    const QList<ShownBox> boxes = run.prompts.script.messages();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[0].title, kErrorBoxTitle);
    QVERIFY2(
        boxes[0].text.contains(QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton2_Click ") +
                               "at line 174\r\r"),
        qPrintable(boxes[0].text));
    QVERIFY(boxes[0].text.contains("lossy.fpt not found (memo values lost: 2, the first in "
                                   "record 1)\nlossy.dbf: truncated after 2 of 3 records"));
    QCOMPARE(boxes[1].text, "Done.");
    QCOMPARE(resultsAtBox, (QList<int>{3, 5}));
    QCOMPARE(AllResults(*run.window).mid(1, 2),
             (QStringList{"INSERT INTO [T_lossy] VALUES ('0001','');",
                          "INSERT INTO [T_lossy] VALUES ('0002','');"}));
}

// MySQL's escapes carry a NUL inside a memo (a picture kept as text): under the back-quote
// nothing is lost and nothing is reported; under any other delimiter the NUL is left out of
// the statement and the box says so.
void ConversionRunTest::nulInAMemoIsReportedWhereItIsLost_data() {
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("insert");
    QTest::addColumn<bool>("reported");
    QTest::addRow("back-quote") << "`"
                                << "INSERT INTO `T_picture` VALUES ('GIF\\0x');" << false;
    QTest::addRow("bracket") << "["
                             << "INSERT INTO [T_picture] VALUES ('GIFx');" << true;
}

void ConversionRunTest::nulInAMemoIsReportedWhereItIsLost() {
    QFETCH(QString, delimiter);
    QFETCH(QString, insert);
    QFETCH(bool, reported);
    RunFixture run;
    run.text("Text2")->setText(delimiter);
    DbfWriter writer(0x83);
    writer.addField("NOTE", 'M', 10);
    writer.addRecord({MemoPointer(writer.addMemo(std::string("GIF\0x", 5)), 10)});
    const QString path = run.tables.filePath("picture.dbf");
    writer.write(path.toStdString(), ".dbt");
    run.add(path);

    run.start();

    const QList<ShownBox> boxes = run.prompts.script.messages();
    QCOMPARE(boxes.size(), reported ? 2 : 1);
    if (reported)
        QVERIFY2(boxes[0].text.contains("NUL"), qPrintable(boxes[0].text));
    QCOMPARE(boxes.last().text, "Done.");
    QCOMPARE(AllResults(*run.window).last(), insert);
}

// A statement that cannot be made for want of memory is reported as the companion reports
// it, naming the record and the table; that table ends there and the run goes on.
void ConversionRunTest::statementOutOfMemoryEndsItsTable() {
    RunFixture run;
    const QString starved = run.table("starved.dbf", 3);
    run.add(starved);
    run.add(run.table("c.dbf", 1));
    run.window->conversion().setTableOpener([](const std::filesystem::path& path) {
        auto table = OpenTable(path);
        return path.filename() == "starved.dbf"
                   ? std::make_unique<StarvedRecordTable>(std::move(table), 2)
                   : std::move(table);
    });

    run.start();

    const QList<ShownBox> boxes = run.prompts.script.messages();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[0].title, kErrorBoxTitle);
    QVERIFY2(boxes[0].text.contains(
                 QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton2_Click at line 202\r\r")),
             qPrintable(boxes[0].text));
    QVERIFY2(boxes[0].text.contains("out of memory while reading record 2 of starved.dbf"),
             qPrintable(boxes[0].text));
    QCOMPARE(boxes[1].text, "Done.");
    QCOMPARE(AllResults(*run.window), (QStringList{Create("[T_starved]"), Insert("[T_starved]", 1),
                                                   Create("[T_c]"), Insert("[T_c]", 1)}));
}

void ConversionRunTest::closingTheWindowEndsTheRun() {
    RunFixture run;
    run.window->show();
    run.add(run.table("a.dbf", 2500));
    run.add(run.table("b.dbf", 1));
    run.atYield = [&] {
        if (run.yields.size() == 2)
            run.window->close();
    };
    run.start();
    QCOMPARE(run.yields.size(), 2); // nothing after the close
    QVERIFY(run.prompts.script.shown.isEmpty());
    QCOMPARE(run.window->results().count(), 1 + 999);
    QVERIFY(!run.window->isVisible());
}

void ConversionRunTest::windowDestroyedDuringARunIsNotTouched() {
    RunFixture run;
    run.add(run.table("a.dbf", 1500));
    QPointer<MainWindow> window(run.window.get());
    run.atYield = [&] {
        if (run.yields.size() == 2)
            QTimer::singleShot(0, [&run] { run.window.reset(); });
    };
    run.start();
    QVERIFY(window.isNull());
    QCOMPARE(run.yields.size(), 2);
    QVERIFY(run.prompts.script.shown.isEmpty());
}

void ConversionRunTest::captionIsShownAsWritten_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addRow("plain") << "plain.dbf";
    QTest::addRow("percent signs") << "100%p %v %m.dbf";
    QTest::addRow("accents and spaces") << "Zürich Kunden.dbf";
}

void ConversionRunTest::captionIsShownAsWritten() {
    QFETCH(QString, fileName);
    CaptionedProgressBar bar(QStringLiteral("Progress Bar"));
    bar.setRange(0, 100);
    bar.setValue(37);
    QCOMPARE(bar.text(), "Progress Bar");
    bar.setCaption("Processing: " + fileName);
    QCOMPARE(bar.text(), "Processing: " + fileName);
    bar.setRowCaption(1, fileName);
    bar.setRowCaption(2147483647, fileName);
    QCOMPARE(bar.text(), "Processing row: 2147483647 in: " + fileName);
    // A table holds up to 2^32 - 1 records: the count goes on past 32 signed bits.
    bar.setRowCaption(Q_INT64_C(2147483648), fileName);
    QCOMPARE(bar.text(), "Processing row: 2147483648 in: " + fileName);
    bar.setCaption("Progress Bar");
    QCOMPARE(bar.text(), "Progress Bar");
}

void ConversionRunTest::latestCaptionIsPaintedAfterAQuickChange() {
    CaptionedProgressBar bar(QStringLiteral("Progress Bar"));
    QStringList painted;
    PaintRecorder recorder(bar, painted);
    bar.show();
    QTRY_VERIFY(!painted.isEmpty());
    // Changes right after a paint are held back, never lost: the last one is painted.
    bar.setCaption("Processing: a.dbf");
    bar.setRowCaption(1, "a.dbf");
    bar.setRowCaption(2, "a.dbf");
    QTRY_COMPARE(painted.last(), "Processing row: 2 in: a.dbf");
    bar.setCaption("Progress Bar");
    QTRY_COMPARE(painted.last(), "Progress Bar");
}

#ifndef Q_OS_WIN
// A name that is no UTF-8 (café with its é as the Latin-1 byte 0xE9, as old archives have
// it) is found by Add All, opened through the path that reaches it, and named with U+FFFD
// in the statements and the captions.
void ConversionRunTest::undecodableFileNameIsScannedAndConverted() {
    RunFixture run;
    run.table("plain.dbf", 2);
    const QByteArray folder = QFile::encodeName(run.tables.path());
    // Qt's removal of the folder cannot reach the name: it goes by its bytes.
    struct RemovedAtEnd {
        QByteArray path;
        ~RemovedAtEnd() { std::remove(path.constData()); }
    } const table{folder + "/caf\xE9.dbf"};
    QCOMPARE(std::rename((folder + "/plain.dbf").constData(), table.path.constData()), 0);
    run.prompts.script.inputAnswers.enqueue(QStringLiteral("dbf"));
    run.prompts.script.directoryAnswers.enqueue(run.tables.path());
    run.button("PushButton5")->click();
    QCOMPARE(InputRows(*run.window),
             QStringList{run.tables.path() + '/' + DecodeNativeName("caf\xE9.dbf")});

    run.start();

    const QString name = QString::fromUtf8("[T_caf\xEF\xBF\xBD]");
    QCOMPARE(AllResults(*run.window),
             (QStringList{Create(name), Insert(name, 1), Insert(name, 2)}));
    QCOMPARE(run.yields.front().caption, QString::fromUtf8("Processing: caf\xEF\xBF\xBD.dbf"));
    QCOMPARE(run.messages(), QStringList{"Done."});
}
#endif

QTEST_MAIN(ConversionRunTest)
#include "ConversionRunTest.moc"
