#include "WindowFixture.h"
#include "shell/ErrorReport.h"

#include "../fs/AccessOverride.h"

#include "fs/PathText.h"
#include "inputs/InputListModel.h"
#include "inputs/InputListView.h"
#include "results/CopyResults.h"
#include "results/ResultsListModel.h"

#include "FileBytes.h"
#include "SmallDisk.h"

#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

using namespace tabrivel;
using tabrivel::testing::ReadFileBytes;
using tabrivel::testing::ShownBox;
using tabrivel::testing::SmallDisk;
using tabrivel::testing::WindowFixture;
using tabrivel::testing::WriteFileBytes;

namespace {

const QList<QByteArray> kThreeRows = {
    "CREATE TABLE 'x' ('NAME' TEXT);",
    QString("INSERT INTO 'x' VALUES ('Zürich');").toUtf8(),
    "INSERT INTO 'x' VALUES ('a  b');  ",
};
const QByteArray kThreeRowsFile = QString("CREATE TABLE 'x' ('NAME' TEXT);\r\n"
                                          "INSERT INTO 'x' VALUES ('Zürich');\r\n"
                                          "INSERT INTO 'x' VALUES ('a  b');  \r\n")
                                      .toUtf8();
const QByteArray kEarlierFile = "earlier results\r\n";

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

void AddResults(MainWindow& window, const QList<QByteArray>& rows) {
    for (const QByteArray& row : rows)
        window.results().append(std::string_view(row.constData(), std::size_t(row.size())));
    window.results().flushPendingRows();
}

QRadioButton* Option(MainWindow& window, const char* name) {
    return qobject_cast<QRadioButton*>(window.control(QString::fromLatin1(name)));
}

// "folder", "beside" or "neither" selected of the two save options.
void ChooseSaveOption(MainWindow& window, const QString& choice) {
    if (choice == "folder")
        Option(window, "Option1")->setChecked(true);
    else if (choice == "beside")
        Option(window, "Option2")->setChecked(true);
    else
        for (QRadioButton* option : {Option(window, "Option1"), Option(window, "Option2")}) {
            option->setAutoExclusive(false);
            option->setChecked(false);
            option->setAutoExclusive(true);
        }
}

// Runs `action` at the command's first yield to the window.
template <typename Action> void AtFirstYield(MainWindow& window, Action action) {
    QMetaObject::invokeMethod(&window, action, Qt::QueuedConnection);
}

QStringList MessageTexts(const testing::ScriptedPrompts& prompts) {
    QStringList texts;
    for (const ShownBox& box : prompts.messages())
        texts.append(box.text);
    return texts;
}

// The error reports at this location and line; any report elsewhere counts a thousand,
// so that "exactly one" also means "and no other".
int ErrorReports(const testing::ScriptedPrompts& prompts, const QString& location, int line) {
    int count = 0;
    for (const ShownBox& box : prompts.messages()) {
        if (box.title == kErrorBoxTitle)
            count += box.text.contains(location + "at line " + QString::number(line)) ? 1 : 1000;
    }
    return count;
}

// Three folders and a window with the three rows as its results.
struct SaveFixture : WindowFixture {
    QTemporaryDir out, a, b;
    std::unique_ptr<MainWindow> window = open();

    SaveFixture() { AddResults(*window, kThreeRows); }

    QString resolve(QString text) const {
        text.replace("<out>", out.path()).replace("<a>", a.path()).replace("<b>", b.path());
        return Native(text);
    }
    QString target() const { return out.filePath("Tabrivel.txt"); }
    void saveTo(const QString& folder) {
        qobject_cast<QLineEdit*>(window->control("Text3"))->setText(folder);
        window->PushButton8_Click();
    }
    // After the overwrite question: one report at the line, no "Done.", the earlier
    // file as it was and nothing left beside it, the pointer back to normal.
    void expectOneFailedSave(int line) const {
        QCOMPARE(prompts.messages().size(), 2);
        QCOMPARE(ErrorReports(prompts,
                              QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton8_Click "),
                              line),
                 1);
        QCOMPARE(ReadFileBytes(target()), kEarlierFile);
        QCOMPARE(Entries(out.path()), QStringList{"Tabrivel.txt"});
        QVERIFY(!window->pointer().isBusy());
    }
};

} // namespace

class OutputCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void saveWritesWhereTheOptionsSay_data();
    void saveWritesWhereTheOptionsSay();
    void missingOutputFolderIsRefused_data();
    void missingOutputFolderIsRefused();
    void neitherOptionWritesNothing();
    void overwriteQuestion_data();
    void overwriteQuestion();
    void emptyResultsWriteAnEmptyFile();
    void unwritableFolderIsReportedOnce();
    void fullDiskIsReportedWithItsCause();
    void failedSaveBesideOriginalsIsReportedOnce();
    void resultsChangingDuringTheSaveAreReportedOnce_data();
    void resultsChangingDuringTheSaveAreReportedOnce();
    void saveShowsTheBusyPointerWhileWriting();
    void closingDuringTheSaveKeepsTheEarlierFile();
    void browseSetsTheOutputFolder_data();
    void browseSetsTheOutputFolder();
    void browseCancelChangesNothing();
    void copyPutsTheResultsOnTheClipboard();
    void copyOfAnEmptyListLeavesTheClipboard();
    void copyReportsARowGoneDuringAYield();
};

void OutputCommandsTest::saveWritesWhereTheOptionsSay_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("text3");
    QTest::addColumn<QStringList>("inputs");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("expected");
    const QStringList two = {"<a>/x.dbf", "<b>/y.dbf"};
    QTest::addRow("folder with separator") << "folder"
                                           << "<out>/" << two << 1 << "<out>/Tabrivel.txt";
    QTest::addRow("folder without separator")
        << "folder"
        << "<out>" << QStringList() << -1 << "<out>/Tabrivel.txt";
    QTest::addRow("beside the selected input") << "beside"
                                               << "<out>/" << two << 1 << "<b>/Tabrivel.txt";
    QTest::addRow("beside the first input when none selected")
        << "beside"
        << "<out>/" << two << -1 << "<a>/Tabrivel.txt";
    QTest::addRow("beside originals with no inputs uses the folder")
        << "beside"
        << "<out>" << QStringList() << -1 << "<out>/Tabrivel.txt";
    QTest::addRow("beside originals skips the folder check")
        << "beside"
        << "<out>/gone/" << two << -1 << "<a>/Tabrivel.txt";
}

void OutputCommandsTest::saveWritesWhereTheOptionsSay() {
    QFETCH(QString, option);
    QFETCH(QString, text3);
    QFETCH(QStringList, inputs);
    QFETCH(int, selected);
    QFETCH(QString, expected);
    SaveFixture f;
    for (const QString& input : inputs)
        f.window->inputList().append(f.resolve(input));
    if (selected >= 0)
        f.window->inputView()->selectRow(selected);
    ChooseSaveOption(*f.window, option);

    f.saveTo(f.resolve(text3));

    QCOMPARE(MessageTexts(f.prompts), QStringList{"Done."});
    QCOMPARE(f.prompts.messages()[0].title, f.window->applicationTitle());
    QCOMPARE(ReadFileBytes(f.resolve(expected)), kThreeRowsFile);
    const int written =
        Entries(f.out.path()).size() + Entries(f.a.path()).size() + Entries(f.b.path()).size();
    QCOMPARE(written, 1);
    QVERIFY(!f.window->pointer().isBusy());
}

void OutputCommandsTest::missingOutputFolderIsRefused_data() {
    QTest::addColumn<QString>("option");
    QTest::addRow("save to a folder") << "folder";
    QTest::addRow("no option selected") << "neither";
}

void OutputCommandsTest::missingOutputFolderIsRefused() {
    QFETCH(QString, option);
    SaveFixture f;
    ChooseSaveOption(*f.window, option);

    f.saveTo(f.out.filePath("gone"));

    QCOMPARE(MessageTexts(f.prompts),
             QStringList{"Folder does not exist. Please select another folder."});
    QCOMPARE(f.prompts.messages()[0].title, f.window->applicationTitle());
    QVERIFY(!QFileInfo::exists(f.out.filePath("gone")));
    QVERIFY(Entries(f.out.path()).isEmpty());
}

void OutputCommandsTest::neitherOptionWritesNothing() {
    SaveFixture f;
    ChooseSaveOption(*f.window, "neither");
    f.saveTo(f.out.path());
    QVERIFY(f.prompts.shown.isEmpty());
    QVERIFY(Entries(f.out.path()).isEmpty());
}

void OutputCommandsTest::overwriteQuestion_data() {
    QTest::addColumn<BoxAnswer>("answer");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QStringList>("laterMessages");
    QTest::addRow("yes replaces") << BoxAnswer::Yes << kThreeRowsFile << QStringList{"Done."};
    QTest::addRow("no keeps the old file") << BoxAnswer::No << kEarlierFile << QStringList();
}

void OutputCommandsTest::overwriteQuestion() {
    QFETCH(BoxAnswer, answer);
    QFETCH(QByteArray, expected);
    QFETCH(QStringList, laterMessages);
    SaveFixture f;
    QVERIFY(WriteFileBytes(f.target(), kEarlierFile));
    f.prompts.messageAnswers.enqueue(answer);

    f.saveTo(f.out.path() + "/");

    const QList<ShownBox> boxes = f.prompts.messages();
    QVERIFY(!boxes.isEmpty());
    // The folder's trailing separator and the joining one collapse into one.
    const QString shownPath = Native(f.target());
    QCOMPARE(boxes[0].text, "Are you sure you wish to overwrite " + shownPath + " ?");
    QCOMPARE(boxes[0].buttons, BoxButtons::YesNo);
    QCOMPARE(boxes[0].title, f.window->applicationTitle());
    QCOMPARE(MessageTexts(f.prompts).mid(1), laterMessages);
    QCOMPARE(ReadFileBytes(f.target()), expected);
    QCOMPARE(Entries(f.out.path()), QStringList{"Tabrivel.txt"});
}

void OutputCommandsTest::emptyResultsWriteAnEmptyFile() {
    SaveFixture f;
    f.window->results().clear();
    QVERIFY(WriteFileBytes(f.target(), kEarlierFile));
    f.prompts.messageAnswers.enqueue(BoxAnswer::Yes);
    f.saveTo(f.out.path());
    QCOMPARE(ReadFileBytes(f.target()), QByteArray());
    QCOMPARE(MessageTexts(f.prompts).last(), QString("Done."));
}

void OutputCommandsTest::unwritableFolderIsReportedOnce() {
    SaveFixture f;
    QVERIFY(WriteFileBytes(f.target(), kEarlierFile));
    f.prompts.messageAnswers.enqueue(BoxAnswer::Yes);
    QVERIFY(QFile::setPermissions(f.out.path(), QFile::ReadOwner | QFile::ExeOwner));
    {
        const WithoutAccessOverride asAnyUser;
        f.saveTo(f.out.path());
    }
    QFile::setPermissions(f.out.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    f.expectOneFailedSave(124);
    QCOMPARE(f.prompts.messages().last().text.section("\r\n", 0, 0),
             "Cannot create " + Native(f.target()) +
                 ": Permission denied. Choose a folder you may write to. Any earlier file of "
                 "that name is unchanged.");
}

void OutputCommandsTest::fullDiskIsReportedWithItsCause() {
    SaveFixture f;
    SmallDisk disk(f.out.path(), 64);
    if (!disk.mounted())
        QSKIP("mounting a small file system needs root or a user namespace");
    QVERIFY(WriteFileBytes(f.target(), kEarlierFile));
    WriteFileBytes(f.out.filePath("filler"), QByteArray(128 << 10, 'f')); // fills the disk
    f.prompts.messageAnswers.enqueue(BoxAnswer::Yes);

    f.saveTo(f.out.path());

    QCOMPARE(f.prompts.messages().size(), 2);
    QCOMPARE(ErrorReports(f.prompts,
                          QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton8_Click "), 128),
             1);
    QCOMPARE(f.prompts.messages().last().text.section("\r\n", 0, 0),
             "Cannot write to " + Native(f.target()) +
                 ": No space left on device. Free some space on that disk or choose another "
                 "folder. Any earlier file of that name is unchanged.");
    QCOMPARE(ReadFileBytes(f.target()), kEarlierFile);
    QCOMPARE(Entries(f.out.path()), (QStringList{"filler", "Tabrivel.txt"}));
    QVERIFY(!f.window->pointer().isBusy());
}

void OutputCommandsTest::failedSaveBesideOriginalsIsReportedOnce() {
    // No inputs, so the file goes to the typed folder, which was never checked.
    SaveFixture f;
    ChooseSaveOption(*f.window, "beside");
    f.saveTo(f.out.filePath("gone"));
    QCOMPARE(f.prompts.messages().size(), 1);
    QCOMPARE(ErrorReports(f.prompts,
                          QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton8_Click "), 124),
             1);
    QVERIFY(!QFileInfo::exists(f.out.filePath("gone")));
}

void OutputCommandsTest::resultsChangingDuringTheSaveAreReportedOnce_data() {
    QTest::addColumn<QString>("change");
    QTest::addRow("first row removed") << "remove first";
    QTest::addRow("last row removed") << "remove last";
    QTest::addRow("results cleared") << "clear";
}

void OutputCommandsTest::resultsChangingDuringTheSaveAreReportedOnce() {
    QFETCH(QString, change);
    SaveFixture f;
    QVERIFY(WriteFileBytes(f.target(), kEarlierFile));
    f.prompts.messageAnswers.enqueue(BoxAnswer::Yes);
    ResultsListModel& results = f.window->results();
    AtFirstYield(*f.window, [&] {
        if (change == "clear")
            results.clear();
        else
            results.removeAt(change == "remove first" ? 0 : results.count() - 1);
    });

    f.saveTo(f.out.path());

    f.expectOneFailedSave(126);
}

void OutputCommandsTest::saveShowsTheBusyPointerWhileWriting() {
    SaveFixture f;
    bool busyDuringSave = false;
    Qt::CursorShape everywhere = Qt::ArrowCursor;
    AtFirstYield(*f.window, [&] {
        busyDuringSave = f.window->pointer().isBusy();
        if (const QCursor* shown = QGuiApplication::overrideCursor())
            everywhere = shown->shape();
    });
    f.saveTo(f.out.path());
    QVERIFY(busyDuringSave);
    QCOMPARE(everywhere, Qt::WaitCursor);
    QVERIFY(!f.window->pointer().isBusy());
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    QCOMPARE(ReadFileBytes(f.target()), kThreeRowsFile);
}

void OutputCommandsTest::closingDuringTheSaveKeepsTheEarlierFile() {
    SaveFixture f;
    f.window->show();
    QVERIFY(WriteFileBytes(f.target(), kEarlierFile));
    f.prompts.messageAnswers.enqueue(BoxAnswer::Yes);
    AtFirstYield(*f.window, [&] { f.window->close(); });
    f.saveTo(f.out.path());
    QCOMPARE(f.prompts.messages().size(), 1); // the question only
    QCOMPARE(ReadFileBytes(f.target()), kEarlierFile);
    QCOMPARE(Entries(f.out.path()), QStringList{"Tabrivel.txt"});
}

void OutputCommandsTest::browseSetsTheOutputFolder_data() {
    QTest::addColumn<bool>("root");
    QTest::addRow("a folder gets a trailing separator") << false;
    QTest::addRow("the root keeps its one separator") << true;
}

void OutputCommandsTest::browseSetsTheOutputFolder() {
    QFETCH(bool, root);
    WindowFixture fixture;
    QTemporaryDir last, picked;
    fixture.seed("LastFolderDot", Native(last.path()));
    const auto window = fixture.open();
    const QString folder = root ? QDir::rootPath() : Native(picked.path());
    fixture.prompts.directoryAnswers.enqueue(folder);

    window->PushButton16_Click();

    QCOMPARE(fixture.prompts.shown.size(), 1);
    QCOMPARE(fixture.prompts.shown[0].title, QString("Please select folder:"));
    QCOMPARE(fixture.prompts.shown[0].defaultText, Native(last.path()));
    const QString shown = root ? folder : folder + QDir::separator();
    QCOMPARE(window->outputFolder(), shown);
    QCOMPARE(fixture.stored("LastFolderDot"), folder);
    QCOMPARE(fixture.stored("Output Folder"), shown);
}

void OutputCommandsTest::browseCancelChangesNothing() {
    WindowFixture fixture;
    fixture.seed("LastFolderDot", "/no/such/folder");
    fixture.seed("Output Folder", "/typed/");
    const auto window = fixture.open();

    window->PushButton16_Click();

    QCOMPARE(fixture.prompts.shown.size(), 1);
    QCOMPARE(fixture.prompts.shown[0].defaultText, QString()); // start folder gone
    QCOMPARE(window->outputFolder(), QString("/typed/"));
    QCOMPARE(fixture.stored("LastFolderDot"), QString("/no/such/folder"));
    QCOMPARE(fixture.stored("Output Folder"), QString("/typed/"));
    QVERIFY(fixture.prompts.messages().isEmpty());
}

void OutputCommandsTest::copyPutsTheResultsOnTheClipboard() {
    WindowFixture fixture;
    const auto window = fixture.open();
    AddResults(*window, kThreeRows);
    window->results().removeAt(0);

    window->PushButton4_Click();

    QCOMPARE(fixture.prompts.clipboard,
             QString("INSERT INTO 'x' VALUES ('Zürich');\r\nINSERT INTO 'x' VALUES ('a  b');\r\n"));
    QCOMPARE(fixture.prompts.clipboardClears, 1);
    const QList<ShownBox> boxes = fixture.prompts.messages();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].text, QString("Results have been copied to the clipboard.\r\rClick a text "
                                    "area where you normally type and press Ctrl+V to paste the "
                                    "clipboard."));
    QCOMPARE(boxes[0].title, window->applicationTitle());
    QCOMPARE(boxes[0].icon, BoxIcon::None);
    QCOMPARE(boxes[0].buttons, BoxButtons::Ok);
}

void OutputCommandsTest::copyOfAnEmptyListLeavesTheClipboard() {
    WindowFixture fixture;
    fixture.prompts.clipboard = QString("held before");
    const auto window = fixture.open();
    window->PushButton4_Click();
    QCOMPARE(fixture.prompts.clipboard, QString("held before"));
    QCOMPARE(fixture.prompts.clipboardClears, 0);
    QCOMPARE(MessageTexts(fixture.prompts), QStringList{kCopiedMessage});
}

void OutputCommandsTest::copyReportsARowGoneDuringAYield() {
    WindowFixture fixture;
    fixture.prompts.clipboard = QString("held before");
    const auto window = fixture.open();
    AddResults(*window, kThreeRows);
    AtFirstYield(*window, [&] { window->results().clear(); });

    window->PushButton4_Click();

    QCOMPARE(ErrorReports(fixture.prompts,
                          QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton4_Click "), 106),
             1);
    QCOMPARE(MessageTexts(fixture.prompts).last(), kCopiedMessage);
    QCOMPARE(fixture.prompts.clipboard, QString("held before"));
}

QTEST_MAIN(OutputCommandsTest)
#include "OutputCommandsTest.moc"
