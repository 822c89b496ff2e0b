#include "shell/FolderPicker.h"
#include "ScriptedPrompts.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace tabrivel;
using tabrivel::testing::ScriptedPrompts;

namespace {

// Placeholders in the test rows stand for folders made by the test.
QString Resolve(const QString& text, const QString& existing, const QString& gone) {
    QString path = text;
    path.replace(QLatin1String("<existing>"), existing);
    path.replace(QLatin1String("<gone>"), gone);
    return QDir::toNativeSeparators(path);
}

} // namespace

class FolderPickerTest : public QObject {
    Q_OBJECT

private slots:
    void startsAtTheStartFolderOnlyWhenItExists_data();
    void startsAtTheStartFolderOnlyWhenItExists();
    void givesTheChosenFolder_data();
    void givesTheChosenFolder();
    void aLongPathComesBackWhole();
};

void FolderPickerTest::startsAtTheStartFolderOnlyWhenItExists_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("passedOn");
    QTest::addRow("empty start folder") << QString() << false;
    QTest::addRow("existing folder") << QString("<existing>") << true;
    QTest::addRow("existing folder with separator") << QString("<existing>/") << true;
    QTest::addRow("folder deleted since remembered") << QString("<gone>") << false;
    QTest::addRow("a file, not a folder") << QString("<existing>/file.txt") << false;
}

void FolderPickerTest::startsAtTheStartFolderOnlyWhenItExists() {
    QFETCH(QString, start);
    QFETCH(bool, passedOn);
    QTemporaryDir dir;
    QFile(dir.filePath("file.txt")).open(QIODevice::WriteOnly);
    const QString startFolder = Resolve(start, dir.path(), dir.filePath("gone"));
    ScriptedPrompts prompts;
    prompts.directoryAnswers.enqueue(QString());

    QCOMPARE(BrowseForFolder(prompts, "Please select folder:", startFolder), QString());
    QCOMPARE(prompts.shown.size(), 1);
    QCOMPARE(prompts.shown[0].kind, testing::ShownBox::Kind::Directory);
    QCOMPARE(prompts.shown[0].title, QString("Please select folder:"));
    QCOMPARE(prompts.shown[0].defaultText, passedOn ? startFolder : QString());
}

void FolderPickerTest::givesTheChosenFolder_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("expected");
    QTest::addRow("cancel") << QString() << QString();
    QTest::addRow("a folder") << QString("<existing>") << QString("<existing>");
    QTest::addRow("trailing separator dropped") << QString("<existing>/") << QString("<existing>");
    QTest::addRow("forward slashes made native")
        << QString("<existing>/sub") << QString("<existing>/sub");
    QTest::addRow("root keeps its separator") << QDir::rootPath() << QDir::rootPath();
    QTest::addRow("no such folder") << QString("<gone>") << QString();
    QTest::addRow("a file") << QString("<existing>/file.txt") << QString();
}

void FolderPickerTest::givesTheChosenFolder() {
    QFETCH(QString, answer);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("sub");
    QFile(dir.filePath("file.txt")).open(QIODevice::WriteOnly);
    ScriptedPrompts prompts;
    // The chooser's own answer may use either separator.
    prompts.directoryAnswers.enqueue(
        QDir::fromNativeSeparators(Resolve(answer, dir.path(), dir.filePath("gone"))));

    const QString chosen = BrowseForFolder(prompts, "Pick", QString());
    QCOMPARE(chosen, Resolve(expected, dir.path(), dir.filePath("gone")));
    QVERIFY(!chosen.contains(QChar(0)));
}

void FolderPickerTest::aLongPathComesBackWhole() {
    QTemporaryDir dir;
    QString path = dir.path();
    while (path.size() < 259 - 11)
        path += QStringLiteral("/abcdefghij");
    path += QLatin1Char('/') + QString(259 - path.size() - 1, QLatin1Char('z'));
    QCOMPARE(path.size(), 259);
    QVERIFY(QDir().mkpath(path));
    ScriptedPrompts prompts;
    prompts.directoryAnswers.enqueue(path);

    QCOMPARE(BrowseForFolder(prompts, "Pick", QString()), QDir::toNativeSeparators(path));
}

QTEST_GUILESS_MAIN(FolderPickerTest)
#include "FolderPickerTest.moc"
