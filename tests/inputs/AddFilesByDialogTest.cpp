#include "inputs/AddFilesByDialog.h"
#include "ScriptedPrompts.h"
#include "fs/PathText.h"
#include "inputs/ClearInputList.h"
#include "inputs/InputListModel.h"

#include <QtTest>

using namespace tabrivel;
using tabrivel::testing::ScriptedPrompts;
using tabrivel::testing::ShownBox;

namespace {

const QString kTitle = QStringLiteral("Tabrivel");
const QString kLocation = QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton1_Click ");

QStringList Rows(const InputListModel& list) {
    QStringList rows;
    for (int row = 0; row < list.count(); ++row)
        rows << list.pathAt(row);
    return rows;
}

// Paths in one folder whose names make the dialog's text exactly `length` characters.
QStringList SelectionOfLength(qsizetype length) {
    const QString folder = QStringLiteral("/data");
    const qsizetype nameLength = 95; // each name also costs the NUL before it
    QStringList paths;
    qsizetype used = folder.size();
    while (used + 1 + nameLength <= length) {
        paths << folder + "/" + QString::number(paths.size()).rightJustified(nameLength - 4, u'n') +
                     ".dbf";
        used += 1 + nameLength;
    }
    const qsizetype rest = length - used - 1;
    paths << folder + "/" + QString(rest, u'z');
    return paths;
}

} // namespace

class AddFilesByDialogTest : public QObject {
    Q_OBJECT

private slots:
    void chosenPathsAreAppendedUnchanged_data();
    void chosenPathsAreAppendedUnchanged();
    void doubledSeparatorIsCollapsed();
    void cancelAddsAndShowsNothing();
    void selectionTextFollowsTheDialogsForm_data();
    void selectionTextFollowsTheDialogsForm();
    void tooManyFilesAreRefusedWithTheMessage_data();
    void tooManyFilesAreRefusedWithTheMessage();
    void clearListIsRefusedWhileBusy();
};

void AddFilesByDialogTest::chosenPathsAreAppendedUnchanged_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("chosen");
    QTest::addRow("one file") << QStringList{} << QStringList{"/data/t.dbf"};
    QTest::addRow("several, in the dialog's order")
        << QStringList{} << QStringList{"/d/b.dbf", "/d/a.dbf", "/d/c.dbf"};
    QTest::addRow("a path already listed is added again")
        << QStringList{"/d/a.dbf"} << QStringList{"/d/a.dbf"};
    QTest::addRow("another extension and a file that does not exist")
        << QStringList{"/x.dbf"} << QStringList{"/d/readme.txt", "/d/missing.dbf"};
    QTest::addRow("windows root and share paths")
        << QStringList{} << QStringList{"D:\\a.dbf", "\\\\server\\share\\b.dbf"};
}

void AddFilesByDialogTest::chosenPathsAreAppendedUnchanged() {
    QFETCH(QStringList, before);
    QFETCH(QStringList, chosen);
    ScriptedPrompts prompts;
    InputListModel list;
    for (const QString& path : before)
        list.append(path);
    prompts.fileAnswers.enqueue(chosen);

    AddFilesByDialog(prompts, kTitle, list, kLocation);

    QCOMPARE(Rows(list), before + chosen);
    QCOMPARE(prompts.shown.size(), 1);
    QCOMPARE(prompts.shown[0].kind, ShownBox::Kind::OpenFiles);
    QCOMPARE(prompts.shown[0].title, "Add File(s) - Hold Ctrl to select multiple files");
    QCOMPARE(prompts.shown[0].text, "DBF Files (*.dbf)");
    QCOMPARE(prompts.unscripted, 0);
}

// A root folder already ends in its separator, so joining several names to it doubles one;
// a single chosen path is the dialog's own and stays as it is.
void AddFilesByDialogTest::doubledSeparatorIsCollapsed() {
    ScriptedPrompts prompts;
    InputListModel list;
    const QString sep = NativeSeparator();
    prompts.fileAnswers.enqueue({"C:" + sep + sep + "t.dbf", "d" + sep + sep + sep + "a.dbf"});
    AddFilesByDialog(prompts, kTitle, list, kLocation);
    QCOMPARE(Rows(list), (QStringList{"C:" + sep + "t.dbf", "d" + sep + sep + "a.dbf"}));
    prompts.fileAnswers.enqueue({"e" + sep + sep + "b.dbf"});
    AddFilesByDialog(prompts, kTitle, list, kLocation);
    QCOMPARE(Rows(list).last(), "e" + sep + sep + "b.dbf");
}

void AddFilesByDialogTest::cancelAddsAndShowsNothing() {
    ScriptedPrompts prompts;
    InputListModel list;
    list.append("/kept.dbf");
    prompts.fileAnswers.enqueue({});
    AddFilesByDialog(prompts, kTitle, list, kLocation);
    QCOMPARE(Rows(list), QStringList{"/kept.dbf"});
    QVERIFY(prompts.messages().isEmpty());
}

void AddFilesByDialogTest::selectionTextFollowsTheDialogsForm_data() {
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QString>("text");
    QTest::addRow("one file is its path") << QStringList{"/data/t.dbf"} << "/data/t.dbf";
    QTest::addRow("several: folder, then names")
        << QStringList{"/data/a.dbf", "/data/bb.dbf"}
        << QStringList{"/data", "a.dbf", "bb.dbf"}.join(QChar(u'\0'));
    QTest::addRow("several in the root keep its separator")
        << QStringList{"/a.dbf", "/b.dbf"} << QStringList{"/", "a.dbf", "b.dbf"}.join(QChar(u'\0'));
}

void AddFilesByDialogTest::selectionTextFollowsTheDialogsForm() {
    QFETCH(QStringList, paths);
    QFETCH(QString, text);
    QCOMPARE(SelectionText(paths), text);
}

void AddFilesByDialogTest::tooManyFilesAreRefusedWithTheMessage_data() {
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<bool>("refused");
    QTest::addRow("one character short of the buffer") << qsizetype(29999) << false;
    QTest::addRow("as long as the buffer") << qsizetype(30000) << true;
    QTest::addRow("far more") << qsizetype(90000) << true;
}

void AddFilesByDialogTest::tooManyFilesAreRefusedWithTheMessage() {
    QFETCH(qsizetype, length);
    QFETCH(bool, refused);
    const QStringList chosen = SelectionOfLength(length);
    QCOMPARE(SelectionText(chosen).size(), length);
    ScriptedPrompts prompts;
    InputListModel list;
    prompts.fileAnswers.enqueue(chosen);

    AddFilesByDialog(prompts, kTitle, list, kLocation);

    QCOMPARE(list.count(), refused ? 0 : chosen.size());
    const QList<ShownBox> boxes = prompts.messages();
    QCOMPARE(boxes.size(), refused ? 1 : 0);
    if (refused) {
        QCOMPARE(boxes[0].title, kTitle);
        QCOMPARE(boxes[0].text, "You've selected too many files to add.\r\rPlease try adding via "
                                "the \"Add All\" button.");
        QCOMPARE(boxes[0].icon, BoxIcon::None);
        QCOMPARE(boxes[0].buttons, BoxButtons::Ok);
    }
}

void AddFilesByDialogTest::clearListIsRefusedWhileBusy() {
    ScriptedPrompts prompts;
    InputListModel list;
    list.append("/a.dbf");
    list.append("/a.dbf");
    ClearInputList(prompts, true, list, kLocation);
    QCOMPARE(list.count(), 2);
    ClearInputList(prompts, false, list, kLocation);
    QCOMPARE(list.count(), 0);
    ClearInputList(prompts, false, list, kLocation); // an empty list stays empty, silently
    QVERIFY(prompts.shown.isEmpty());
}

QTEST_GUILESS_MAIN(AddFilesByDialogTest)
#include "AddFilesByDialogTest.moc"
