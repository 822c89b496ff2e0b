#include "TempTree.h"
#include "WindowFixture.h"

#include "fs/FolderFiles.h"
#include "inputs/InputListModel.h"

#include <QTimer>
#include <QtTest>

using namespace tabrivel;
using tabrivel::testing::ClickButton;
using tabrivel::testing::InputRows;
using tabrivel::testing::ShownBox;
using tabrivel::testing::WindowFixture;

namespace {

const QString kPrompt = QStringLiteral(
    "Enter file extension to load:\r\r(* for all files, txt for all txt files, doc for all doc "
    "files, etc.)");

// A window whose next Add All is answered with the extension and the folder.
struct AddAllRun {
    WindowFixture fixture;
    std::unique_ptr<MainWindow> window = fixture.open();

    AddAllRun(const QString& extension, const QString& folder) {
        fixture.prompts.inputAnswers.enqueue(extension);
        fixture.prompts.directoryAnswers.enqueue(folder);
    }
    void click() { ClickButton(*window, "PushButton5"); }
};

// A tree over three levels with the names the command must tell apart.
void BuildTree(TempTree& tree) {
    tree.folders({"root/sub/deeper"});
    for (const char* name :
         {"a.dbf", "b.TXT", "~lock.dbf", "table~.dbf", ".hidden.dbf", "double..dbf", "noext"})
        tree.file(QStringLiteral("root/") + name);
    tree.file("root/sub/c.dbf");
    tree.file("root/sub/~c.txt");
    tree.file("root/sub/deeper/d.DBF");
}

// The expected rows: the wanted names of each folder, breadth-first, in listing order.
QStringList Expected(const TempTree& tree, const QStringList& wanted) {
    QStringList rows;
    for (const QString folder : {"root", "root/sub", "root/sub/deeper"}) {
        for (const QString& name : tree.listedFiles(folder)) {
            if (wanted.contains(name))
                rows << tree.path(folder) + QDir::separator() + name;
        }
    }
    return rows;
}

} // namespace

class AddFolderTest : public QObject {
    Q_OBJECT

private slots:
    void cancelAtTheExtensionPromptChangesNothing() {
        WindowFixture fixture;
        const auto window = fixture.open();
        fixture.prompts.inputAnswers.enqueue(std::nullopt);
        ClickButton(*window, "PushButton5");
        QCOMPARE(fixture.prompts.shown.size(), 1); // no picker
        const ShownBox& box = fixture.prompts.shown.first();
        QCOMPARE(box.kind, ShownBox::Kind::Input);
        QCOMPARE(box.title, window->applicationTitle());
        QCOMPARE(box.text, kPrompt);
        QCOMPARE(box.defaultText, QString("dbf"));
        QCOMPARE(fixture.stored("Extension"), QString("<missing>"));
        QCOMPARE(fixture.stored("LastFolder"), QString("<missing>"));
        QCOMPARE(window->inputList().count(), 0);
    }

    void cancelAtThePickerKeepsTheExtension() {
        WindowFixture fixture;
        const auto window = fixture.open();
        fixture.prompts.inputAnswers.enqueue(QString("txt"));
        fixture.prompts.directoryAnswers.enqueue(QString());
        ClickButton(*window, "PushButton5");
        QCOMPARE(fixture.prompts.shown.size(), 2);
        const ShownBox& picker = fixture.prompts.shown.at(1);
        QCOMPARE(picker.kind, ShownBox::Kind::Directory);
        QCOMPARE(picker.title, QString("Please select folder:"));
        QCOMPARE(picker.defaultText, QString());
        QCOMPARE(fixture.stored("Extension"), QString("txt"));
        QCOMPARE(fixture.stored("LastFolder"), QString("<missing>"));
        QCOMPARE(window->inputList().count(), 0);
        QVERIFY(!window->pointer().isBusy());
    }

    void addsTheMatchingFilesOfTheWholeTree_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("wanted");
        QTest::addRow("dbf, any case")
            << "dbf" << QStringList{"a.dbf", "table~.dbf", "double..dbf", "c.dbf", "d.DBF"};
        QTest::addRow("star takes every extension")
            << "*" << QStringList{"a.dbf", "b.TXT", "table~.dbf", "double..dbf",
                                  "noext", "c.dbf", "d.DBF"};
        QTest::addRow("leading dot doubles the dot") << ".dbf" << QStringList{"double..dbf"};
        QTest::addRow("txt") << "txt" << QStringList{"b.TXT"};
        QTest::addRow("nothing matches") << "doc" << QStringList{};
    }
    void addsTheMatchingFilesOfTheWholeTree() {
        QFETCH(QString, answer);
        QFETCH(QStringList, wanted);
        TempTree tree;
        BuildTree(tree);
        AddAllRun run(answer, tree.path("root"));
        run.window->inputList().append("/already/there.dbf");
        run.click();
        QCOMPARE(InputRows(*run.window),
                 QStringList{"/already/there.dbf"} + Expected(tree, wanted));
        // The companion takes a folder's tables by the same scan.
        QCOMPARE(InputRows(*run.window).mid(1),
                 FilesOfFolderTree(tree.path("root"), "*." + answer));
        QCOMPARE(run.fixture.stored("Extension"), answer);
        QCOMPARE(run.fixture.stored("LastFolder"), tree.path("root"));
        QCOMPARE(run.fixture.prompts.messages().size(), 0);
        QCOMPARE(run.fixture.prompts.unscripted, 0);
    }

    void secondRunOffersTheFirstRunsAnswersAndAddsAgain() {
        TempTree tree;
        tree.folders({"data"});
        tree.file("data/one.csv");
        WindowFixture fixture;
        const auto window = fixture.open();
        for (int run = 0; run < 2; ++run) {
            fixture.prompts.inputAnswers.enqueue(QString("csv"));
            fixture.prompts.directoryAnswers.enqueue(tree.path("data"));
            ClickButton(*window, "PushButton5");
        }
        const QList<ShownBox>& shown = fixture.prompts.shown;
        QCOMPARE(shown.size(), 4);
        QCOMPARE(shown.at(2).defaultText, QString("csv"));
        QCOMPARE(shown.at(3).defaultText, tree.path("data"));
        const QString file = tree.path("data/one.csv");
        QCOMPARE(InputRows(*window), QStringList({file, file}));
    }

    // A folder chosen with its separator (a root is always chosen so) still gives paths
    // with single separators only.
    void trailingSeparatorGivesSingleSeparators() {
        TempTree tree;
        tree.folders({"root/sub"});
        tree.file("root/sub/t.dbf");
        AddAllRun run("dbf", tree.path("root") + QDir::separator());
        run.click();
        QCOMPARE(InputRows(*run.window), QStringList{tree.path("root/sub/t.dbf")});
    }

    void busyPointerWhileScanningOnly() {
        TempTree tree;
        tree.folders({"root/sub"});
        tree.file("root/sub/t.dbf");
        AddAllRun run("dbf", tree.path("root"));
        MainWindow& window = *run.window;
        bool busyWhileYielding = false;
        // Runs at the scan's first yield.
        QTimer::singleShot(0, &window, [&] { busyWhileYielding = window.pointer().isBusy(); });
        run.click();
        QVERIFY(busyWhileYielding);
        QVERIFY(!window.pointer().isBusy());
        QCOMPARE(window.inputList().count(), 1);
    }

    void closingTheWindowDuringTheScanStopsTheCommand() {
        TempTree tree;
        tree.folders({"root/sub"});
        tree.file("root/sub/t.dbf");
        tree.file("root/r.dbf");
        AddAllRun run("dbf", tree.path("root"));
        MainWindow& window = *run.window;
        window.show();
        QTimer::singleShot(0, &window, &QWidget::close);
        run.click();
        QVERIFY(window.isClosing());
        QCOMPARE(window.inputList().count(), 0);
        QCOMPARE(run.fixture.prompts.messages().size(), 0);
    }
};

QTEST_MAIN(AddFolderTest)
#include "AddFolderTest.moc"
