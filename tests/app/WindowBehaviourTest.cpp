#include "WindowFixture.h"
#include "app/HandCursor.h"
#include "app/WindowLook.h"
#include "shell/ErrorReport.h"

#include "../fs/AccessOverride.h"

#include "inputs/InputListModel.h"
#include "inputs/InputListView.h"
#include "results/ResultsListModel.h"
#include "shell/ProgramFiles.h"
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTreeView>
#include <QtTest>

#include <stdexcept>

using namespace tabrivel;
using tabrivel::testing::ListOf;
using tabrivel::testing::WindowFixture;

namespace {

QByteArray AssetBytes(const QString& name) {
    QFile file(QStringLiteral(TABRIVEL_ASSETS_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The widget that receives the mouse when it moves over a named control.
QWidget* MouseTarget(MainWindow& window, const QString& name) {
    if (name == "Form1")
        return &window;
    QWidget* control = window.control(name);
    if (auto* list = qobject_cast<QTreeView*>(control))
        return list->viewport();
    return control;
}

void MoveMouseOver(QWidget* target) {
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), target->mapToGlobal(QPointF(3, 3)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
}

void AddInput(MainWindow& window, const QString& path) {
    window.inputList().append(path);
}

void AddResult(MainWindow& window, const QString& statement) {
    window.results().append(statement.toStdString());
    window.results().flushPendingRows();
}

// Boxes that cannot be shown while `failing` is set: the open-file dialog fails, and so
// does the box that would report it, so the failure leaves the command's own trap.
class UnshowablePrompts final : public Prompts {
public:
    explicit UnshowablePrompts(Prompts& inner) : inner_(inner) {}
    bool failing = false;

    BoxAnswer messageBox(const QString& title, const QString& text, BoxIcon icon,
                         BoxButtons buttons) override {
        failIfAsked();
        return inner_.messageBox(title, text, icon, buttons);
    }
    std::optional<QString> inputBox(const QString& title, const QString& prompt,
                                    const QString& defaultText) override {
        return inner_.inputBox(title, prompt, defaultText);
    }
    QStringList openFiles(const QString& title, const QString& filter, bool multi) override {
        failIfAsked();
        return inner_.openFiles(title, filter, multi);
    }
    QString existingDirectory(const QString& title, const QString& startFolder) override {
        return inner_.existingDirectory(title, startFolder);
    }
    void clearClipboard() override { inner_.clearClipboard(); }
    void setClipboardText(const QString& text) override { inner_.setClipboardText(text); }
    bool openUrl(const QUrl& url) override { return inner_.openUrl(url); }

private:
    void failIfAsked() const {
        if (failing)
            throw std::runtime_error("Out of memory");
    }
    Prompts& inner_;
};

} // namespace

class WindowBehaviourTest : public QObject {
    Q_OBJECT

private slots:
    void handCursorFileKeepsItsPictureAndHotspot();
    void pointerFollowsTheMouse_data();
    void pointerFollowsTheMouse();
    void optionsTakeClicksAnywhereInTheirRectangle_data();
    void optionsTakeClicksAnywhereInTheirRectangle();
    void busyPointerCoversEveryControl();
    void closingWhileBusyLeavesNoBusyPointer();
    void withoutTheHandFileTheHandIsAnArrow();
    void unreadableHandFileIsReportedAndStartUpGoesOn_data();
    void unreadableHandFileIsReportedAndStartUpGoesOn();
    void skinFileGivesTheButtonFace_data();
    void skinFileGivesTheButtonFace();
    void homePageOpensOnOneDrawInAHundred_data();
    void homePageOpensOnOneDrawInAHundred();
    void helpShowsItsMessageAndChangesNothing_data();
    void helpShowsItsMessageAndChangesNothing();
    void closingWhileACommandYieldsStopsIt();
    void windowGoneDuringAYieldIsNotTouched();
    void failingUntrappedCommandLeavesTheWindowIntact();
    void dragCursorComesFromTheProgramFolderGiven_data();
    void dragCursorComesFromTheProgramFolderGiven();
};

void WindowBehaviourTest::handCursorFileKeepsItsPictureAndHotspot() {
    QTemporaryDir dir;
    const QString path = dir.filePath("HAND-M.CUR");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(AssetBytes("HAND-M.CUR"));
    file.close();
    const QCursor hand = LoadCursorFile(path);
    QCOMPARE(hand.shape(), Qt::BitmapCursor);
    QCOMPARE(hand.hotSpot(), QPoint(8, 2)); // the tip of the finger
    const QImage picture = hand.pixmap().toImage();
    QCOMPARE(picture.size(), QSize(32, 32));
    QCOMPARE(picture.pixelColor(8, 2).alpha(), 255);
    QCOMPARE(picture.pixelColor(0, 0).alpha(), 0);
}

void WindowBehaviourTest::pointerFollowsTheMouse_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("pointer"); // hand, arrow, or unchanged (no handler)
    for (const char* button :
         {"PushButton1", "PushButton2", "PushButton3", "PushButton4", "PushButton5", "PushButton7",
          "PushButton8", "PushButton9", "PushButton10", "PushButton16"})
        QTest::addRow("%s", button) << button << "hand";
    for (const char* plain : {"Form1", "Frame2", "Frame3", "Frame4", "Frame5", "Option6", "Option7",
                              "Text3", "ListView1", "ListView2"})
        QTest::addRow("%s", plain) << plain << "arrow";
    for (const char* silent :
         {"Frame1", "Option1", "Option2", "Check3", "Text1", "Text2", "ProgressBar1"})
        QTest::addRow("%s", silent) << silent << "unchanged";
}

void WindowBehaviourTest::pointerFollowsTheMouse() {
    QFETCH(QString, control);
    QFETCH(QString, pointer);
    WindowFixture fixture;
    QVERIFY(fixture.putBesideProgram("HAND-M.CUR", AssetBytes("HAND-M.CUR")));
    const auto window = fixture.open();
    QWidget* target = MouseTarget(*window, control);

    window->setCursor(Qt::CrossCursor); // whatever the last handler left
    MoveMouseOver(target);
    const Qt::CursorShape expected = pointer == "hand"    ? Qt::BitmapCursor
                                     : pointer == "arrow" ? Qt::ArrowCursor
                                                          : Qt::CrossCursor;
    QCOMPARE(window->cursor().shape(), expected);

    // A long command's busy pointer stays wherever the mouse goes.
    window->pointer().setBusy(true);
    MoveMouseOver(target);
    QVERIFY(window->pointer().isBusy());
    QCOMPARE(window->cursor().shape(), Qt::WaitCursor);
    window->pointer().setBusy(false);
    QVERIFY(!window->pointer().isBusy());
}

void WindowBehaviourTest::optionsTakeClicksAnywhereInTheirRectangle_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    QTest::addRow("Option6") << "Option6"
                             << "Option"
                             << "1";
    QTest::addRow("Option2") << "Option2"
                             << "Option2"
                             << "True";
    QTest::addRow("Check3 clears") << "Check3"
                                   << "Include"
                                   << "False";
}

// A click in the empty part right of the caption, which the style alone would ignore.
void WindowBehaviourTest::optionsTakeClicksAnywhereInTheirRectangle() {
    QFETCH(QString, control);
    QFETCH(QString, key);
    QFETCH(QString, stored);
    WindowFixture fixture;
    const auto window = fixture.open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto* button = qobject_cast<QAbstractButton*>(window->control(control));
    const bool wasChecked = button->isChecked();
    const QPoint besideCaption(button->width() - 3, button->height() / 2);

    QStyleOptionButton look;
    look.initFrom(button);
    look.text = button->text();
    const auto clickArea = qobject_cast<QCheckBox*>(button) ? QStyle::SE_CheckBoxClickRect
                                                            : QStyle::SE_RadioButtonClickRect;
    QVERIFY(!button->style()->subElementRect(clickArea, &look, button).contains(besideCaption));

    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, besideCaption);
    QCOMPARE(button->isChecked(), !wasChecked);
    QCOMPARE(fixture.stored(key), stored);
    // Just outside the rectangle the click belongs to the frame, not to the control.
    QWidget* frame = button->parentWidget();
    QTest::mouseClick(frame, Qt::LeftButton, Qt::NoModifier,
                      button->geometry().bottomRight() + QPoint(1, 1));
    QCOMPARE(button->isChecked(), !wasChecked);
}

// Lists and text boxes have pointers of their own (arrow, I-beam); while busy, the busy
// pointer is shown over them all, and moving over them changes nothing.
void WindowBehaviourTest::busyPointerCoversEveryControl() {
    WindowFixture fixture;
    QVERIFY(fixture.putBesideProgram("HAND-M.CUR", AssetBytes("HAND-M.CUR")));
    const auto window = fixture.open();
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    window->pointer().setBusy(true);
    window->pointer().setBusy(true); // a second long command inside the first
    for (const char* name :
         {"ListView1", "ListView2", "Text1", "Text3", "PushButton2", "Option6"}) {
        MoveMouseOver(MouseTarget(*window, name));
        QVERIFY2(QGuiApplication::overrideCursor() != nullptr, name);
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QCOMPARE(window->cursor().shape(), Qt::WaitCursor);
    }
    window->pointer().setBusy(false);
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
    MoveMouseOver(MouseTarget(*window, "PushButton2"));
    QCOMPARE(window->cursor().shape(), Qt::BitmapCursor); // the hand is back
}

void WindowBehaviourTest::closingWhileBusyLeavesNoBusyPointer() {
    WindowFixture fixture;
    auto window = fixture.open();
    window->pointer().setBusy(true);
    window.reset();
    QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void WindowBehaviourTest::withoutTheHandFileTheHandIsAnArrow() {
    WindowFixture fixture;
    const auto window = fixture.open();
    MoveMouseOver(window->control("PushButton2"));
    QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(fixture.prompts.shown.isEmpty());
}

void WindowBehaviourTest::unreadableHandFileIsReportedAndStartUpGoesOn_data() {
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("description");
    QTest::addRow("not a picture") << "garbage"
                                   << "Invalid picture: <path>";
    QTest::addRow("no read permission") << "locked"
                                        << "Cannot open <path>: Permission denied.";
}

void WindowBehaviourTest::unreadableHandFileIsReportedAndStartUpGoesOn() {
    QFETCH(QString, problem);
    QFETCH(QString, description);
    WindowFixture fixture;
    QVERIFY(fixture.putBesideProgram("HAND-M.CUR", problem == "garbage"
                                                       ? QByteArray("not a picture at all")
                                                       : AssetBytes("HAND-M.CUR")));
    const QString handFile = QDir::toNativeSeparators(fixture.programDir.filePath("HAND-M.CUR"));
    if (problem == "locked")
        QVERIFY(QFile::setPermissions(handFile, QFileDevice::Permissions()));
    fixture.seed("Table Name", "Orders");
    std::unique_ptr<MainWindow> window;
    {
        const WithoutAccessOverride asAnyUser;
        window = fixture.open();
    }
    const auto boxes = fixture.prompts.messages();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QString("Application Error"));
    QCOMPARE(boxes[0].text.section("\r\n", 0, 0), description.replace("<path>", handFile));
    QVERIFY(boxes[0].text.contains("Form_Load at line 104\r\r"));
    QCOMPARE(window->tableName(), QString("Orders"));
    MoveMouseOver(window->control("PushButton2"));
    QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);
}

void WindowBehaviourTest::skinFileGivesTheButtonFace_data() {
    QTest::addColumn<bool>("skinFile");
    QTest::addColumn<bool>("skinFolderInstead");
    QTest::addRow("no skin file: white") << false << false;
    QTest::addRow("skin file: button face") << true << false;
    QTest::addRow("a folder of that name is no skin") << false << true;
}

void WindowBehaviourTest::skinFileGivesTheButtonFace() {
    QFETCH(bool, skinFile);
    QFETCH(bool, skinFolderInstead);
    WindowFixture fixture;
    if (skinFile)
        QVERIFY(fixture.putBesideProgram("x/o.cjs", "skin"));
    if (skinFolderInstead)
        QVERIFY(QDir(fixture.programDir.path()).mkpath("x/o.cjs"));
    const auto window = fixture.open();
    QVERIFY(ButtonFace() != QColor(Qt::white));
    const QColor expected = skinFile ? ButtonFace() : QColor(Qt::white);
    QCOMPARE(window->palette().color(window->backgroundRole()), expected);
    for (const char* name : {"Frame1", "Frame2", "Frame3", "Frame4", "Frame5", "Option1", "Option2",
                             "Option6", "Option7", "Check3"}) {
        QWidget* control = window->control(name);
        QCOMPARE(control->palette().color(control->backgroundRole()), expected);
    }
    QVERIFY(fixture.prompts.shown.isEmpty());
}

void WindowBehaviourTest::homePageOpensOnOneDrawInAHundred_data() {
    QTest::addColumn<QString>("homePage");
    QTest::addColumn<double>("draw");
    QTest::addColumn<bool>("opens");
    const QString page = QStringLiteral("https://www.tabrivel.org/");
    QTest::addRow("lowest draw") << page << 0.0 << false;
    QTest::addRow("just below seven") << page << 0.0599 << false;
    QTest::addRow("seven") << page << 0.06 << true;
    QTest::addRow("top of seven") << page << 0.0699 << true;
    QTest::addRow("eight") << page << 0.07 << false;
    QTest::addRow("highest draw") << page << 0.9999 << false;
    // A build without a real home page opens nothing, even on the lucky draw.
    QTest::addRow("seven, none configured") << QString() << 0.06 << false;
    QTest::addRow("seven, placeholder") << "https://www.marlquist.example/" << 0.06 << false;
    QTest::addRow("seven, example.com") << "https://example.com/tabrivel" << 0.06 << false;
}

void WindowBehaviourTest::homePageOpensOnOneDrawInAHundred() {
    QFETCH(QString, homePage);
    QFETCH(double, draw);
    QFETCH(bool, opens);
    WindowFixture fixture;
    fixture.randomDraw = draw;
    fixture.addresses.homePage = homePage;
    const auto window = fixture.open();
    if (opens)
        QCOMPARE(fixture.prompts.openedUrls, QList<QUrl>{QUrl(homePage)});
    else
        QVERIFY(fixture.prompts.openedUrls.isEmpty());
    QVERIFY(fixture.prompts.shown.isEmpty());
}

void WindowBehaviourTest::helpShowsItsMessageAndChangesNothing_data() {
    QTest::addColumn<QString>("contactPage");
    QTest::addColumn<QString>("supportEmail");
    QTest::addColumn<QString>("asks");
    QTest::addRow("contact page")
        << "https://www.tabrivel.org/contact"
        << "help@tabrivel.org"
        << "Questions? Please contact us at https://www.tabrivel.org/contact";
    QTest::addRow("e-mail only") << QString() << "help@tabrivel.org"
                                 << "Questions? Please email help@tabrivel.org";
    QTest::addRow("placeholders") << "https://www.marlquist.example/contact"
                                  << "support@marlquist.example" << QString();
    QTest::addRow("none") << QString() << QString() << QString();
}

void WindowBehaviourTest::helpShowsItsMessageAndChangesNothing() {
    QFETCH(QString, contactPage);
    QFETCH(QString, supportEmail);
    QFETCH(QString, asks);
    WindowFixture fixture;
    fixture.addresses = {QStringLiteral("https://www.tabrivel.org/"), contactPage, supportEmail};
    const auto window = fixture.open();
    AddInput(*window, "/data/a.dbf");
    AddResult(*window, "INSERT INTO 'T' ('1');");
    const auto before = fixture.store.reopen();
    QStringList storedBefore;
    for (const QString& key : before->allKeys())
        storedBefore << key + "=" + before->value(key).toString();

    QTest::mouseClick(window->control("PushButton10"), Qt::LeftButton);

    QCOMPARE(fixture.prompts.shown.size(), 1);
    const auto& box = fixture.prompts.shown[0];
    QCOMPARE(box.title, window->applicationTitle());
    const QString howTo("Tabrivel turns dBase and FoxPro tables (.dbf) into SQL scripts: add "
                        "tables to the list, choose the options and press Start Converting.");
    QCOMPARE(box.text, asks.isEmpty() ? howTo : howTo + "\r\n\r\n" + asks);
    QVERIFY(!box.text.contains("example"));
    QCOMPARE(box.icon, BoxIcon::None);
    QCOMPARE(box.buttons, BoxButtons::Ok);
    const auto after = fixture.store.reopen();
    QStringList storedAfter;
    for (const QString& key : after->allKeys())
        storedAfter << key + "=" + after->value(key).toString();
    QCOMPARE(storedAfter, storedBefore);
    QCOMPARE(window->inputList().count(), 1);
    QCOMPARE(window->results().count(), 1);
}

void WindowBehaviourTest::closingWhileACommandYieldsStopsIt() {
    WindowFixture fixture;
    const auto window = fixture.open();
    window->show();
    QTimer::singleShot(0, window.get(), &QWidget::close);
    int rounds = 0;
    while (window->Yield()) {
        if (++rounds > 10000)
            QFAIL("the command was never told to stop");
    }
    QVERIFY(window->isClosing());
    QVERIFY(!window->isVisible());
    QVERIFY(fixture.prompts.shown.isEmpty()); // no question on the way out
}

void WindowBehaviourTest::windowGoneDuringAYieldIsNotTouched() {
    WindowFixture fixture;
    auto owned = fixture.open();
    QPointer<MainWindow> window(owned.get());
    QTimer::singleShot(0, [&owned] { owned.reset(); });
    bool stillThere = true;
    for (int round = 0; round < 100 && stillThere; ++round)
        stillThere = window->Yield();
    QVERIFY(!stillThere);
    QVERIFY(window.isNull());
}

void WindowBehaviourTest::failingUntrappedCommandLeavesTheWindowIntact() {
    WindowFixture fixture;
    UnshowablePrompts prompts(fixture.prompts);
    MainWindow window(ShellContext{prompts, fixture.store.settings(), [] { return 0.5; },
                                   fixture.programDir.path()});
    AddInput(window, "/data/a.dbf");
    prompts.failing = true;
    QTest::ignoreMessage(QtWarningMsg, "PushButton1 failed: Out of memory");
    qobject_cast<QPushButton*>(window.control("PushButton1"))->click();
    QCOMPARE(window.inputList().count(), 1);
    // The window still answers commands afterwards.
    prompts.failing = false;
    QTest::mouseClick(window.control("PushButton10"), Qt::LeftButton);
    QCOMPARE(fixture.prompts.shown.size(), 1);
}

void WindowBehaviourTest::dragCursorComesFromTheProgramFolderGiven_data() {
    QTest::addColumn<bool>("besideProgram");
    QTest::addColumn<int>("shape");
    QTest::addRow("cursor file there") << true << int(Qt::BitmapCursor);
    // One lies beside the test's own executable; the window must not look there.
    QTest::addRow("no cursor file there") << false << int(Qt::ArrowCursor);
}

void WindowBehaviourTest::dragCursorComesFromTheProgramFolderGiven() {
    QFETCH(bool, besideProgram);
    QFETCH(int, shape);
    QFile installed(InputListView::dragCursorFileIn(ProgramFolder()));
    QVERIFY(installed.open(QIODevice::ReadOnly));
    WindowFixture fixture;
    if (besideProgram)
        QVERIFY(fixture.putBesideProgram("drag.ico", installed.readAll()));
    auto window = fixture.open();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    AddInput(*window, "/data/a.dbf");
    QTreeView* list = ListOf(*window, "ListView1");
    const QPoint row = list->visualRect(list->model()->index(0, 0)).center();
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, row);
    QCOMPARE(int(list->viewport()->cursor().shape()), shape);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, row);
}

QTEST_MAIN(WindowBehaviourTest)
#include "WindowBehaviourTest.moc"
