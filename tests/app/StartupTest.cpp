#include "WindowFixture.h"
#include "shell/ErrorReport.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeView>
#include <QtTest>

using namespace tabrivel;
using tabrivel::testing::ListOf;
using tabrivel::testing::WindowFixture;

namespace {

template <typename T> T* Control(const MainWindow& window, const char* name) {
    auto* control = qobject_cast<T*>(window.control(name));
    if (control == nullptr)
        qFatal("no control %s", name);
    return control;
}

bool Selected(const MainWindow& window, const char* option) {
    return Control<QRadioButton>(window, option)->isChecked();
}

// A user's click on an option button lands on its indicator.
void ClickOption(const MainWindow& window, const char* option) {
    auto* button = Control<QRadioButton>(window, option);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

bool Frame2Enabled(const MainWindow& window) {
    return Control<QGroupBox>(window, "Frame2")->isEnabled();
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void freshUser();
    void storedSettings_data();
    void storedSettings();
    void corruptSettingsAreReportedAndStartUpGoesOn_data();
    void corruptSettingsAreReportedAndStartUpGoesOn();
    void typingWritesEveryKeystroke();
    void clearedDelimiterIsKeptAcrossStarts();
    void saveOptionsWriteBothKeysAndFollowFrame2();
    void statementOptionsAndTerminatorWriteTheirKeys();
    void optionsRoundTripIntoANewWindow();
};

void StartupTest::freshUser() {
    WindowFixture fixture;
    const auto window = fixture.open();
    QVERIFY(fixture.prompts.shown.isEmpty());
    QVERIFY(Selected(*window, "Option7"));
    QVERIFY(!Selected(*window, "Option6"));
    QVERIFY(window->includeSemicolon());
    QCOMPARE(window->tableName(), QString("Table1"));
    QCOMPARE(window->delimiter(), QString("'"));
    QCOMPARE(window->outputFolder(), DesktopFolder());
    QVERIFY(window->outputFolder().endsWith(QDir::separator()));
    QVERIFY(window->saveToFolder());
    QVERIFY(!window->saveBesideOriginal());
    QVERIFY(Frame2Enabled(*window));
    QCOMPARE(window->windowTitle(), QString("Tabrivel"));
    QCOMPARE(window->applicationTitle(), QString("Tabrivel"));
    QVERIFY(!window->windowIcon().isNull());
    QCOMPARE(ListOf(*window, "ListView1")->model()->rowCount(), 0);
    QCOMPARE(ListOf(*window, "ListView2")->model()->rowCount(), 0);
    // Nothing the user did not choose lands in the store as a statement option.
    QCOMPARE(fixture.stored("Option"), QString("<missing>"));
    QCOMPARE(fixture.stored("Option1"), QString("<missing>"));
}

void StartupTest::storedSettings_data() {
    QTest::addColumn<QStringList>("keysAndValues");
    QTest::addColumn<QString>("selected"); // the statement option selected
    QTest::addColumn<bool>("semicolon");
    QTest::addColumn<QString>("saveOption"); // Option1, Option2 or none
    QTest::addRow("Option 1 selects insert only")
        << QStringList{"Option", "1"} << "Option6" << true << "Option1";
    QTest::addRow("Option 3 keeps the designed choice")
        << QStringList{"Option", "3"} << "Option7" << true << "Option1";
    QTest::addRow("Include False clears the box")
        << QStringList{"Include", "False"} << "Option7" << false << "Option1";
    QTest::addRow("Include in small letters clears the box")
        << QStringList{"Include", "true"} << "Option7" << false << "Option1";
    QTest::addRow("Option1 False, Option2 True")
        << QStringList{"Option1", "False", "Option2", "True"} << "Option7" << true << "Option2";
    QTest::addRow("Option1 0, Option2 -1 as numbers")
        << QStringList{"Option1", "0", "Option2", "-1"} << "Option7" << true << "Option2";
    QTest::addRow("both save options false")
        << QStringList{"Option1", "False", "Option2", "False"} << "Option7" << true << "none";
}

void StartupTest::storedSettings() {
    QFETCH(QStringList, keysAndValues);
    QFETCH(QString, selected);
    QFETCH(bool, semicolon);
    QFETCH(QString, saveOption);
    WindowFixture fixture;
    for (int i = 0; i + 1 < keysAndValues.size(); i += 2)
        fixture.seed(keysAndValues[i], keysAndValues[i + 1]);
    const auto window = fixture.open();
    QVERIFY(fixture.prompts.shown.isEmpty());
    QVERIFY(Selected(*window, qPrintable(selected)));
    QCOMPARE(window->includeSemicolon(), semicolon);
    QCOMPARE(window->saveToFolder(), saveOption == "Option1");
    QCOMPARE(window->saveBesideOriginal(), saveOption == "Option2");
    QCOMPARE(Frame2Enabled(*window), saveOption == "Option1");
    // Restoring writes nothing new for a value it cannot show.
    if (keysAndValues.startsWith("Option") && keysAndValues[1] == "3")
        QCOMPARE(fixture.stored("Option"), QString("3"));
}

void StartupTest::corruptSettingsAreReportedAndStartUpGoesOn_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("statement");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("saveToFolder");
    QTest::addRow("Option not a number runs the then-branch") << "Option"
                                                              << "abc" << 118 << "Option6" << true;
    QTest::addRow("empty Option") << "Option"
                                  << "" << 118 << "Option6" << true;
    QTest::addRow("Option1 not a truth value keeps its design state")
        << "Option1"
        << "maybe" << 140 << "Option7" << true;
    QTest::addRow("Option2 not a truth value keeps its design state")
        << "Option2"
        << "yes" << 142 << "Option7" << true;
}

void StartupTest::corruptSettingsAreReportedAndStartUpGoesOn() {
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(int, statement);
    QFETCH(QString, selected);
    QFETCH(bool, saveToFolder);
    WindowFixture fixture;
    fixture.seed(key, value);
    fixture.seed("Table Name", "Orders");
    const auto window = fixture.open();
    const auto boxes = fixture.prompts.messages();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes[0].title, QString("Application Error"));
    QCOMPARE(boxes[0].icon, BoxIcon::Warning);
    QCOMPARE(boxes[0].text, ApplicationErrorText(Location::FormLoad, statement, "Type mismatch"));
    QVERIFY(Selected(*window, qPrintable(selected)));
    QCOMPARE(window->saveToFolder(), saveToFolder);
    QCOMPARE(window->tableName(), QString("Orders")); // later statements still ran
    QVERIFY(Frame2Enabled(*window));
}

void StartupTest::typingWritesEveryKeystroke() {
    WindowFixture fixture;
    const auto window = fixture.open();
    auto* text1 = Control<QLineEdit>(*window, "Text1");
    text1->clear();
    QCOMPARE(fixture.stored("Table Name"), QString(""));
    QStringList seen;
    for (const QChar letter : QString("Orders")) {
        QTest::keyClick(text1, letter.toLatin1());
        seen << fixture.stored("Table Name");
    }
    QCOMPARE(seen, QStringList({"O", "Or", "Ord", "Orde", "Order", "Orders"}));
    QCOMPARE(window->tableName(), QString("Orders"));
}

void StartupTest::clearedDelimiterIsKeptAcrossStarts() {
    WindowFixture fixture;
    {
        const auto window = fixture.open();
        auto* text2 = Control<QLineEdit>(*window, "Text2");
        text2->selectAll();
        QTest::keyClick(text2, Qt::Key_Delete);
        QCOMPARE(fixture.stored("Table Delimited"), QString(""));
    }
    const auto again = fixture.open();
    QCOMPARE(again->delimiter(), QString(""));
    QVERIFY(fixture.prompts.shown.isEmpty());
}

void StartupTest::saveOptionsWriteBothKeysAndFollowFrame2() {
    WindowFixture fixture;
    const auto window = fixture.open();
    ClickOption(*window, "Option2");
    QCOMPARE(fixture.stored("Option1"), QString("False"));
    QCOMPARE(fixture.stored("Option2"), QString("True"));
    QVERIFY(!Frame2Enabled(*window));
    ClickOption(*window, "Option1");
    QCOMPARE(fixture.stored("Option1"), QString("True"));
    QCOMPARE(fixture.stored("Option2"), QString("False"));
    QVERIFY(Frame2Enabled(*window));
}

void StartupTest::statementOptionsAndTerminatorWriteTheirKeys() {
    WindowFixture fixture;
    const auto window = fixture.open();
    ClickOption(*window, "Option6");
    QCOMPARE(fixture.stored("Option"), QString("1"));
    QVERIFY(window->insertOnly());
    ClickOption(*window, "Option7");
    QCOMPARE(fixture.stored("Option"), QString("2"));
    auto* check3 = Control<QCheckBox>(*window, "Check3");
    check3->click();
    QCOMPARE(fixture.stored("Include"), QString("False"));
    check3->click();
    QCOMPARE(fixture.stored("Include"), QString("True"));
}

void StartupTest::optionsRoundTripIntoANewWindow() {
    WindowFixture fixture;
    {
        const auto window = fixture.open();
        Control<QRadioButton>(*window, "Option6")->click();
        Control<QCheckBox>(*window, "Check3")->click();
        Control<QLineEdit>(*window, "Text1")->setText("Customers");
        Control<QLineEdit>(*window, "Text2")->setText("`");
        qobject_cast<QLineEdit*>(window->control("Text3"))->setText("/srv/out/");
        Control<QRadioButton>(*window, "Option2")->click();
    }
    const auto again = fixture.open();
    QVERIFY(fixture.prompts.shown.isEmpty());
    QVERIFY(again->insertOnly());
    QVERIFY(!again->includeSemicolon());
    QCOMPARE(again->tableName(), QString("Customers"));
    QCOMPARE(again->delimiter(), QString("`"));
    QCOMPARE(again->outputFolder(), QString("/srv/out/"));
    QVERIFY(again->saveBesideOriginal());
    QVERIFY(!Frame2Enabled(*again));
}

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
