#include "TempTree.h"
#include "WindowFixture.h"

#include "fs/FileQueries.h"
#include "fs/NativePath.h"
#include "inputs/InputListModel.h"
#include "inputs/InputListView.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QtTest>

#include <memory>

using namespace tabrivel;
using tabrivel::testing::InputRows;
using tabrivel::testing::WindowFixture;

namespace {

std::unique_ptr<QMimeData> LocalFiles(const QStringList& paths) {
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data->setUrls(urls);
    return data;
}

#ifndef Q_OS_WIN
// A file manager's URL of a name that is no UTF-8: each such byte as %XX.
std::unique_ptr<QMimeData> RawLocalFile(const QByteArray& path) {
    auto data = std::make_unique<QMimeData>();
    data->setUrls({QUrl::fromEncoded("file://" + path.toPercentEncoding("/"))});
    return data;
}
#endif

// What the drag source learns from the list: accepted or not, and the action agreed.
struct DragAnswer {
    bool enterAccepted = false;
    bool moveAccepted = false;
    bool dropAccepted = false;
    Qt::DropAction dropAction = Qt::IgnoreAction;
};

// Drags the data over the list and lets go, as a file manager would, then lets the window
// handle what the drop left for it.
DragAnswer DragAndDrop(MainWindow& window, const QMimeData& data,
                       Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction) {
    QWidget* target = window.inputView()->viewport();
    const QPoint at(20, 20);
    DragAnswer answer;
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    answer.enterAccepted = enter.isAccepted();
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    answer.moveAccepted = move.isAccepted();
    QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    answer.dropAccepted = drop.isAccepted();
    answer.dropAction = drop.dropAction();
    QCoreApplication::processEvents();
    return answer;
}

} // namespace

class FileDropsTest : public QObject {
    Q_OBJECT

private slots:
    void dataWithoutLocalFilesIsRefused_data() {
        QTest::addColumn<QString>("kind");
        QTest::addRow("text") << "text";
        QTest::addRow("web address") << "web";
        QTest::addRow("nothing") << "empty";
    }
    void dataWithoutLocalFilesIsRefused() {
        QFETCH(QString, kind);
        QMimeData data;
        if (kind == "text")
            data.setText("/tmp/a.dbf");
        else if (kind == "web")
            data.setUrls({QUrl("https://example.com/a.dbf")});
        WindowFixture fixture;
        const auto window = fixture.open();
        const DragAnswer answer = DragAndDrop(*window, data);
        QVERIFY(!answer.enterAccepted);
        QVERIFY(!answer.moveAccepted);
        QVERIFY(!answer.dropAccepted);
        QCOMPARE(window->inputList().count(), 0);
    }

    // The list only reads what is dropped: a source offering a move is asked for a copy.
    void dropIsTakenAsACopy() {
        TempTree tree;
        tree.file("a.txt");
        WindowFixture fixture;
        const auto window = fixture.open();
        const DragAnswer answer = DragAndDrop(*window, *LocalFiles({tree.path("a.txt")}));
        QVERIFY(answer.enterAccepted && answer.moveAccepted && answer.dropAccepted);
        QCOMPARE(answer.dropAction, Qt::CopyAction);
        QCOMPARE(InputRows(*window), QStringList{tree.path("a.txt")});
    }

    void droppedItemsBecomeRows_data() {
        // Relative to the tree; "!" marks a path that does not exist. An expected entry
        // ending with "/" stands for that folder's files other than "~" names, in the order
        // the file system lists them.
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("a file of any extension")
            << QStringList{"f/x.txt"} << QStringList{"f/x.txt"};
        QTest::addRow("folder with a lock file and a sub-folder")
            << QStringList{"f"} << QStringList{"f/", "f/sub/", "f/sub/deep/"};
        QTest::addRow("an empty folder") << QStringList{"empty"} << QStringList{};
        QTest::addRow("two folders, the first one's files first")
            << QStringList{"g", "f/sub"} << QStringList{"g/", "f/sub/", "f/sub/deep/"};
        QTest::addRow("file, folder, file in the drop's order")
            << QStringList{"f/x.txt", "g", "f/sub/b.dbf"}
            << QStringList{"f/x.txt", "g/y.dbf", "f/sub/b.dbf"};
        QTest::addRow("a path that no longer exists is kept as a file")
            << QStringList{"!gone.dbf", "g"} << QStringList{"!gone.dbf", "g/y.dbf"};
        QTest::addRow("a lock file dropped by itself is a file like any other")
            << QStringList{"f/~lock.dbf"} << QStringList{"f/~lock.dbf"};
    }
    void droppedItemsBecomeRows() {
        QFETCH(QStringList, dropped);
        QFETCH(QStringList, expected);
        TempTree tree;
        tree.folders({"f/sub/deep", "g", "empty"});
        for (const char* file : {"f/x.txt", "f/~lock.dbf", "f/.profile.dbf", "f/sub/b.dbf",
                                 "f/sub/deep/c.dbf", "g/y.dbf"})
            tree.file(file);
        const auto inTree = [&](const QStringList& relatives) {
            QStringList paths;
            for (const QString& relative : relatives) {
                if (!relative.endsWith('/')) {
                    paths << tree.path(relative.startsWith('!') ? relative.mid(1) : relative);
                    continue;
                }
                for (const QString& name : tree.listedFiles(relative.chopped(1))) {
                    if (!name.startsWith('~'))
                        paths << tree.path(relative + name);
                }
            }
            return paths;
        };
        WindowFixture fixture;
        const auto window = fixture.open();
        DragAndDrop(*window, *LocalFiles(inTree(dropped)));
        QCOMPARE(InputRows(*window), inTree(expected));
        QVERIFY(fixture.prompts.shown.isEmpty()); // nothing is shown when done
    }

    void fileAlreadyListedIsAddedAgain() {
        TempTree tree;
        tree.file("a.dbf");
        WindowFixture fixture;
        const auto window = fixture.open();
        window->inputList().append(tree.path("a.dbf"));
        DragAndDrop(*window, *LocalFiles({tree.path("a.dbf")}));
        QCOMPARE(InputRows(*window), QStringList({tree.path("a.dbf"), tree.path("a.dbf")}));
    }

#ifndef Q_OS_WIN
    // The row keeps the byte that is no UTF-8, so that it reaches the file; the list
    // shows U+FFFD in its place.
    void undecodableNamesAreDroppedWhole_data() {
        QTest::addColumn<QByteArray>("dropped");
        QTest::addColumn<QByteArrayList>("expected");
        QTest::addRow("the file") << QByteArray("caf\xE9.dbf") << QByteArrayList{"caf\xE9.dbf"};
        QTest::addRow("its folder") << QByteArray("f") << QByteArrayList{"f/caf\xE9.dbf"};
        QTest::addRow("a folder named so") << QByteArray("d\xE9") << QByteArrayList{"d\xE9/t.dbf"};
    }
    void undecodableNamesAreDroppedWhole() {
        QFETCH(QByteArray, dropped);
        QFETCH(QByteArrayList, expected);
        TempTree tree;
        tree.folders({"f"});
        tree.rawFile("caf\xE9.dbf");
        tree.rawFile("f/caf\xE9.dbf");
        tree.rawFolder("d\xE9");
        tree.rawFile("d\xE9/t.dbf");
        WindowFixture fixture;
        const auto window = fixture.open();
        DragAndDrop(*window, *RawLocalFile(QFile::encodeName(tree.root()) + '/' + dropped));
        QStringList rows;
        for (const QByteArray& relative : expected)
            rows << tree.root() + '/' + DecodeNativeName(relative);
        QCOMPARE(InputRows(*window), rows);
        const InputListModel& list = window->inputList();
        const QString shown = list.data(list.index(0)).toString();
        QCOMPARE(shown, ReadableName(rows.front()));
        QVERIFY(shown.contains(QChar::ReplacementCharacter));
        QVERIFY(IsExistingFile(rows.front()));
    }
#endif

    // Dropping is not one of the commands the busy pointer holds back.
    void dropWhileBusyStillAddsRows() {
        TempTree tree;
        tree.file("a.dbf");
        WindowFixture fixture;
        const auto window = fixture.open();
        window->pointer().setBusy(true);
        DragAndDrop(*window, *LocalFiles({tree.path("a.dbf")}));
        QCOMPARE(window->inputList().count(), 1);
        QVERIFY(window->pointer().isBusy());
    }
};

QTEST_MAIN(FileDropsTest)
#include "FileDropsTest.moc"
