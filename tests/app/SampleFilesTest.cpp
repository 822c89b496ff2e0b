#include "WindowFixture.h"

#include "inputs/InputListModel.h"
#include "inputs/SampleFiles.h"

#include <QtTest>

using namespace tabrivel;
using tabrivel::testing::ClickButton;
using tabrivel::testing::InputRows;
using tabrivel::testing::ShownBox;
using tabrivel::testing::WindowFixture;

namespace {

const QString kQuestion = QStringLiteral(
    "Would you like this software to open the folder where these sample files are stored (so "
    "that you can view them before working with them)?");

QString SamplePath(const WindowFixture& fixture, const QString& name) {
    return QDir::toNativeSeparators(fixture.programDir.path() + "/Samples/" + name);
}

// Two tables, one with its memo file, and a note: the memo file is read with its table.
void PutSamples(WindowFixture& fixture) {
    for (const char* name : {"ORDERS.DBF", "PRODUCTS.DBF", "PRODUCTS.FPT", "README.TXT"})
        QVERIFY(fixture.putBesideProgram(QStringLiteral("Samples/") + name, "x"));
}

// The offered samples in the folder's listing order.
QStringList Offered(const WindowFixture& fixture) {
    QStringList paths;
    const QString folder = SampleFolder(QDir::toNativeSeparators(fixture.programDir.path()));
    for (const QString& name : SampleFileNames(folder))
        paths << SamplePath(fixture, name);
    return paths;
}

} // namespace

class SampleFilesTest : public QObject {
    Q_OBJECT

private slots:
    void memoFilesGoWithTheirTablesOnly_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("offered");
        QTest::addRow("memo beside its table")
            << QStringList{"A.DBF", "A.FPT"} << QStringList{"A.DBF"};
        QTest::addRow("names in other cases")
            << QStringList{"b.dbf", "B.DBT", "b.Cpg"} << QStringList{"b.dbf"};
        QTest::addRow("memo without a table is offered")
            << QStringList{"LONE.FPT", "A.DBF"} << QStringList{"A.DBF", "LONE.FPT"};
        QTest::addRow("other files are offered")
            << QStringList{"A.DBF", "A.TXT", "notes"} << QStringList{"A.DBF", "A.TXT", "notes"};
    }
    void memoFilesGoWithTheirTablesOnly() {
        QFETCH(QStringList, files);
        QFETCH(QStringList, offered);
        QTemporaryDir dir;
        for (const QString& name : files) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QStringList names = SampleFileNames(dir.path());
        names.sort();
        offered.sort();
        QCOMPARE(names, offered);
    }

    void pressingTwiceAddsEachSampleOnceAndAsksEachTime() {
        WindowFixture fixture;
        PutSamples(fixture);
        const auto window = fixture.open();
        ClickButton(*window, "PushButton3");
        const QStringList offered = Offered(fixture);
        QCOMPARE(offered.size(), 3);
        QCOMPARE(InputRows(*window), offered);
        ClickButton(*window, "PushButton3");
        QCOMPARE(InputRows(*window), offered);
        const QList<ShownBox> boxes = fixture.prompts.messages();
        QCOMPARE(boxes.size(), 2);
        for (const ShownBox& box : boxes) {
            QCOMPARE(box.title, window->applicationTitle());
            QCOMPARE(box.text, kQuestion);
            QCOMPARE(box.icon, BoxIcon::None);
            QCOMPARE(box.buttons, BoxButtons::YesNo);
        }
        QVERIFY(fixture.prompts.openedUrls.isEmpty()); // unscripted: No
    }

    void aRemovedSampleComesBackAtTheEnd() {
        WindowFixture fixture;
        PutSamples(fixture);
        const auto window = fixture.open();
        window->inputList().append("/mine/first.dbf");
        ClickButton(*window, "PushButton3");
        const QString removed = window->inputList().pathAt(1);
        window->inputList().removeAt(1);
        window->inputList().append("/mine/last.dbf");
        ClickButton(*window, "PushButton3");
        QCOMPARE(window->inputList().count(), 5);
        QCOMPARE(window->inputList().pathAt(4), removed);
        QCOMPARE(window->inputList().pathAt(3), QString("/mine/last.dbf"));
    }

    void missingSampleFolderAddsNothingAndStillAsks() {
        WindowFixture fixture;
        const auto window = fixture.open();
        window->inputList().append("/mine/a.dbf");
        ClickButton(*window, "PushButton3");
        QCOMPARE(InputRows(*window), QStringList{"/mine/a.dbf"});
        QCOMPARE(fixture.prompts.messages().size(), 1);
        QCOMPARE(fixture.prompts.messages().first().text, kQuestion);
    }

    void answerDecidesWhetherTheFolderOpens_data() {
        QTest::addColumn<BoxAnswer>("answer");
        QTest::addColumn<bool>("opens");
        QTest::addRow("yes") << BoxAnswer::Yes << true;
        QTest::addRow("no") << BoxAnswer::No << false;
    }
    void answerDecidesWhetherTheFolderOpens() {
        QFETCH(BoxAnswer, answer);
        QFETCH(bool, opens);
        WindowFixture fixture;
        PutSamples(fixture);
        const auto window = fixture.open();
        fixture.prompts.messageAnswers.enqueue(answer);
        ClickButton(*window, "PushButton3");
        QCOMPARE(window->inputList().count(), 3);
        if (!opens) {
            QVERIFY(fixture.prompts.openedUrls.isEmpty());
            return;
        }
        QCOMPARE(fixture.prompts.openedUrls.size(), 1);
        const QUrl opened = fixture.prompts.openedUrls.first();
        QVERIFY(opened.isLocalFile());
        QCOMPARE(QFileInfo(opened.toLocalFile()).canonicalFilePath(),
                 QFileInfo(fixture.programDir.path() + "/Samples").canonicalFilePath());
        QCOMPARE(fixture.prompts.messages().size(), 1); // opened: nothing more to say
    }

    void aFolderNoFileManagerOpensIsNamedInABox() {
        WindowFixture fixture;
        PutSamples(fixture);
        fixture.prompts.desktopOpensUrls = false;
        const auto window = fixture.open();
        fixture.prompts.messageAnswers.enqueue(BoxAnswer::Yes);
        ClickButton(*window, "PushButton3");
        QCOMPARE(fixture.prompts.openedUrls.size(), 1);
        const QList<ShownBox> boxes = fixture.prompts.messages();
        QCOMPARE(boxes.size(), 2);
        const ShownBox& told = boxes.at(1);
        QCOMPARE(told.title, window->applicationTitle());
        QCOMPARE(told.icon, BoxIcon::None);
        QCOMPARE(told.buttons, BoxButtons::Ok);
        const QString folder = SamplePath(fixture, QString());
        QVERIFY2(told.text.endsWith("\n" + folder), qPrintable(told.text));
        QVERIFY(QFileInfo(told.text.section('\n', -1)).isDir());
        QCOMPARE(window->inputList().count(), 3); // the rows stay
    }

    void answeringNoNeverReachesTheDesktop() {
        WindowFixture fixture;
        PutSamples(fixture);
        fixture.prompts.desktopOpensUrls = false;
        const auto window = fixture.open();
        fixture.prompts.messageAnswers.enqueue(BoxAnswer::No);
        ClickButton(*window, "PushButton3");
        QVERIFY(fixture.prompts.openedUrls.isEmpty());
        QCOMPARE(fixture.prompts.messages().size(), 1);
    }
};

QTEST_MAIN(SampleFilesTest)
#include "SampleFilesTest.moc"
