#include "app/QtPrompts.h"
#include "app/BoxTextWrap.h"
#include "app/BoxTitleRoom.h"

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QtTest>

using namespace tabrivel;

namespace {

// A text whose address the box's own wrapping splits on this screen.
const QString kContactPage = QStringLiteral("https://www.marlquist.example/contact");
const QString kHelpText =
    QStringLiteral("Questions? Please contact Team Marlquist at ") + kContactPage;

// The size a box of Qt's own making takes for this title and text, shown as QtPrompts
// would show it but without its room for the title.
QSize StockBoxSize(const QString& title, const QString& text, QMessageBox::Icon icon) {
    QMessageBox box(icon, title, QString(), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setText(BoxText(text, box));
    box.show();
    if (!QTest::qWaitForWindowExposed(&box))
        return {};
    return box.size();
}

// The lines a label of this width and font shows for the text, as Qt lays them out.
QStringList LaidOutLines(const QLabel& label) {
    QTextDocument document;
    document.setDefaultFont(label.font());
    document.setDocumentMargin(0);
    document.setPlainText(label.text());
    if (label.wordWrap())
        document.setTextWidth(label.contentsRect().width());
    document.size(); // lays the text out
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines << block.text().mid(line.textStart(), line.textLength()).trimmed();
        }
    }
    return lines;
}

// Runs `look` on the message box the next prompt shows, then closes it with OK.
template <typename Look> void WhenTheBoxIsUp(Look look) {
    QTimer::singleShot(0, [look] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            QApplication::closeAllWindows(); // a test that fails must not hang
            QFAIL("no message box came up");
        }
        look(*box);
        box->button(QMessageBox::Ok)->click();
    });
}

} // namespace

class QtPromptsTest : public QObject {
    Q_OBJECT

private slots:
    void wrapsAtBlanksOnly_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("widthOf"); // the widest line allowed, as text
        QTest::addColumn<QString>("expected");
        QTest::addRow("fits: unchanged") << "one two three"
                                         << "one two three"
                                         << "one two three";
        QTest::addRow("breaks at the last blank that fits") << "one two three four"
                                                            << "one two thr"
                                                            << "one two\nthree four";
        QTest::addRow("address wider than a line stays whole")
            << "see https://www.marlquist.example/contact now"
            << "see https://"
            << "see\nhttps://www.marlquist.example/contact\nnow";
        QTest::addRow("own line breaks kept") << "one\ntwo three"
                                              << "two three"
                                              << "one\ntwo three";
        QTest::addRow("empty lines kept") << "a\n\nb"
                                          << "a"
                                          << "a\n\nb";
    }
    void wrapsAtBlanksOnly() {
        QFETCH(QString, text);
        QFETCH(QString, widthOf);
        QFETCH(QString, expected);
        const QFontMetrics metrics(QApplication::font());
        QCOMPARE(WrapBetweenWords(text, metrics, metrics.horizontalAdvance(widthOf)), expected);
    }

    // The real box on this screen: the address is on one line, whole.
    void helpBoxNeverSplitsTheAddress() {
        QtPrompts prompts;
        QStringList lines;
        WhenTheBoxIsUp([&](QMessageBox& box) {
            const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            QVERIFY(label);
            lines = LaidOutLines(*label);
        });
        prompts.messageBox(QStringLiteral("Tabrivel"), kHelpText, BoxIcon::None, BoxButtons::Ok);
        QVERIFY(!lines.isEmpty());
        QVERIFY2(lines.contains(kContactPage) ||
                     lines.last().endsWith(QLatin1Char(' ') + kContactPage),
                 qPrintable(lines.join(" | ")));
        QCOMPARE(lines.join(QLatin1Char(' ')), kHelpText);
    }

    // A short message's box is still wide enough for the window manager to show its
    // title whole beside the title bar's buttons; only its width changes for that.
    void shortBoxesMakeRoomForTheirTitle_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        QTest::addRow("done") << "Tabrivel"
                              << "Done." << int(BoxIcon::None);
        QTest::addRow("no files") << "Tabrivel"
                                  << "No files added." << int(BoxIcon::None);
        QTest::addRow("short error") << "Application Error"
                                     << "x" << int(BoxIcon::Warning);
    }
    void shortBoxesMakeRoomForTheirTitle() {
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(int, icon);
        QtPrompts prompts;
        QSize shown;
        QFont font;
        WhenTheBoxIsUp([&](QMessageBox& box) {
            shown = box.size();
            font = box.font();
        });
        prompts.messageBox(title, text, BoxIcon(icon), BoxButtons::Ok);
        const QSize stock = StockBoxSize(
            title, text, icon == int(BoxIcon::None) ? QMessageBox::NoIcon : QMessageBox::Warning);
        const int needed = TitleBarWidth(title, font);
        QVERIFY2(stock.width() < needed, "Qt's own box is already wide enough here");
        QVERIFY2(shown.width() >= needed, qPrintable(QString::number(shown.width())));
        QFont bold = font;
        bold.setBold(true);
        // The title bar's buttons take room of their own, beside the title.
        QVERIFY(shown.width() >= QFontMetrics(bold).horizontalAdvance(title) + 100);
        QCOMPARE(shown.height(), stock.height());
    }

    void wideBoxesKeepTheirSize() {
        QtPrompts prompts;
        QSize shown;
        WhenTheBoxIsUp([&](QMessageBox& box) { shown = box.size(); });
        const QString text = kHelpText + QStringLiteral("\r\nin Tabrivel2021/08/31.Form1."
                                                        "PushButton2_Click at line 150");
        prompts.messageBox(QStringLiteral("Tabrivel"), text, BoxIcon::Warning, BoxButtons::Ok);
        QCOMPARE(shown, StockBoxSize(QStringLiteral("Tabrivel"), text, QMessageBox::Warning));
    }

    // During a long command the program shows the busy pointer everywhere, but a box
    // that asks something shows the arrow, and the busy pointer returns after it.
    void boxesInABusyStretchShowTheArrow() {
        QtPrompts prompts;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        Qt::CursorShape whileAsking = Qt::WaitCursor;
        WhenTheBoxIsUp(
            [&](QMessageBox&) { whileAsking = QGuiApplication::overrideCursor()->shape(); });
        prompts.messageBox(QStringLiteral("Tabrivel"), QStringLiteral("Done."), BoxIcon::None,
                           BoxButtons::Ok);
        QCOMPARE(whileAsking, Qt::ArrowCursor);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QGuiApplication::restoreOverrideCursor();
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    }

    // What the user picks in the real dialog comes back as native paths, one or several.
    void openFilesGivesTheChosenPaths_data() {
        QTest::addColumn<bool>("multiSelect");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("chosen");
        QTest::addRow("one") << false << "b.dbf" << QStringList{"b.dbf"};
        QTest::addRow("several") << true << "\"a.dbf\" \"b c.dbf\""
                                 << QStringList{"a.dbf", "b c.dbf"};
        QTest::addRow("cancelled") << true << QString() << QStringList{};
    }
    void openFilesGivesTheChosenPaths() {
        QFETCH(bool, multiSelect);
        QFETCH(QString, typed);
        QFETCH(QStringList, chosen);
        QTemporaryDir dir;
        for (const char* name : {"a.dbf", "b.dbf", "b c.dbf"}) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                QApplication::closeAllWindows(); // a test that fails must not hang
                return;
            }
            if (typed.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->setDirectory(dir.path());
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(typed);
            static_cast<QDialog*>(dialog)->accept(); // public there, and virtual
        });
        QtPrompts prompts;
        const QStringList paths =
            prompts.openFiles(QStringLiteral("Add Files"), QStringLiteral("*.dbf"), multiSelect);
        QStringList expected;
        for (const QString& name : chosen)
            expected << QDir::toNativeSeparators(dir.filePath(name));
        QCOMPARE(paths, expected);
    }

    // Without the blanks-only breaks, the same box splits the address: the case above
    // is a real one on this screen, not one the box never meets.
    void unwrappedHelpTextWouldBeSplit() {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tabrivel"), kHelpText,
                        QMessageBox::Ok);
        box.setTextFormat(Qt::PlainText);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label);
        const QStringList lines = LaidOutLines(*label);
        bool whole = false;
        for (const QString& line : lines)
            whole = whole || line.contains(kContactPage);
        QVERIFY2(!whole, qPrintable(lines.join(" | ")));
    }
};

QTEST_MAIN(QtPromptsTest)
#include "QtPromptsTest.moc"
