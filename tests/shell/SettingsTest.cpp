#include "shell/Settings.h"
#include "TempSettings.h"
#include "shell/ApplicationTitle.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace tabrivel;
using tabrivel::testing::TempSettings;

Q_DECLARE_METATYPE(tabrivel::Setting)

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void missingKeyGivesItsDefaultAsText_data();
    void missingKeyGivesItsDefaultAsText();
    void numericDefaultComesBackAsText();
    void valuesRoundTripUnchanged_data();
    void valuesRoundTripUnchanged();
    void writesReachTheStoreAtOnceUnderTheExactKey();
    void outputFolderDefaultsToTheDesktopWithASeparator_data();
    void outputFolderDefaultsToTheDesktopWithASeparator();
    void numbersFromText_data();
    void numbersFromText();
    void truthFromText_data();
    void truthFromText();
    void applicationTitle_data();
    void applicationTitle();
};

void SettingsTest::missingKeyGivesItsDefaultAsText_data() {
    QTest::addColumn<Setting>("setting");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::addRow("Option") << Setting::Option << "Option"
                            << "2";
    QTest::addRow("Include") << Setting::Include << "Include"
                             << "True";
    QTest::addRow("Table Name") << Setting::TableName << "Table Name"
                                << "Table1";
    QTest::addRow("Table Delimited") << Setting::TableDelimited << "Table Delimited"
                                     << "'";
    QTest::addRow("Option1") << Setting::Option1 << "Option1"
                             << "1";
    QTest::addRow("Option2") << Setting::Option2 << "Option2"
                             << "0";
    QTest::addRow("Extension") << Setting::Extension << "Extension"
                               << "dbf";
    QTest::addRow("LastFolder") << Setting::LastFolder << "LastFolder"
                                << "";
    QTest::addRow("LastFolderDot") << Setting::LastFolderDot << "LastFolderDot"
                                   << "";
}

void SettingsTest::missingKeyGivesItsDefaultAsText() {
    QFETCH(Setting, setting);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TempSettings temp;
    QCOMPARE(SettingKey(setting), key);
    QCOMPARE(temp.settings().read(setting), expected);
    QVERIFY(!temp.reopen()->contains("Tabrivel/" + key)); // reading never writes
}

void SettingsTest::numericDefaultComesBackAsText() {
    TempSettings temp;
    QCOMPARE(temp.settings().ReadSetting("Option", 2), QString("2"));
    QCOMPARE(temp.settings().ReadSetting("Option1", 1), QString("1"));
}

void SettingsTest::valuesRoundTripUnchanged_data() {
    QTest::addColumn<QString>("value");
    QTest::addRow("empty text is kept, not the default") << "";
    QTest::addRow("one apostrophe") << "'";
    QTest::addRow("blanks around") << "  Orders  ";
    QTest::addRow("leading at-sign") << "@Variant(x)";
    QTest::addRow("folder with backslashes") << "C:\\Data\\Out\\";
    QTest::addRow("non-Latin text") << QString::fromUtf8("Tabelle_Größe_表");
    QTest::addRow("looks like a number") << "007";
    QTest::addRow("looks like a list") << "a, b, c";
}

void SettingsTest::valuesRoundTripUnchanged() {
    QFETCH(QString, value);
    TempSettings temp;
    temp.settings().write(Setting::TableName, value);
    QCOMPARE(temp.settings().read(Setting::TableName), value);
    // And as the next start sees it.
    const auto again = temp.reopen();
    Settings later(*again);
    QCOMPARE(later.read(Setting::TableName), value);
}

void SettingsTest::writesReachTheStoreAtOnceUnderTheExactKey() {
    TempSettings temp;
    temp.settings().WriteSetting("Table Delimited", "\"");
    const auto other = temp.reopen();
    other->beginGroup("Tabrivel");
    QCOMPARE(other->childKeys(), QStringList({"Table Delimited"}));
    QCOMPARE(other->value("Table Delimited").toString(), QString("\""));
}

void SettingsTest::outputFolderDefaultsToTheDesktopWithASeparator_data() {
    QTest::addColumn<QString>("desktop"); // what the home folder holds under "Desktop"
    QTest::addColumn<QString>("expected");
    QTest::addRow("Desktop folder") << "folder"
                                    << "<home>/Desktop/";
    QTest::addRow("no Desktop folder") << "nothing"
                                       << "<home>/";
    QTest::addRow("Desktop is a file") << "file"
                                       << "<home>/";
}

// A home folder of the test's own, where the Desktop is what the row says.
void SettingsTest::outputFolderDefaultsToTheDesktopWithASeparator() {
    QFETCH(QString, desktop);
    QFETCH(QString, expected);
    QTemporaryDir home;
    const QString desktopPath = home.filePath("Desktop");
    if (desktop == "folder")
        QVERIFY(QDir().mkdir(desktopPath));
    if (desktop == "file")
        QVERIFY(QFile(desktopPath).open(QIODevice::WriteOnly));
    const QByteArray savedHome = qgetenv("HOME");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config")));
    TempSettings temp;
    const QString folder = temp.settings().read(Setting::OutputFolder);
    qputenv("HOME", savedHome);
    qputenv("XDG_CONFIG_HOME", savedConfig);

    expected.replace("<home>", home.path());
    QCOMPARE(folder, QDir::toNativeSeparators(expected));
}

void SettingsTest::numbersFromText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("number");
    QTest::addRow("one") << "1" << true << 1.0;
    QTest::addRow("blanks around") << " 2 " << true << 2.0;
    QTest::addRow("decimal") << "2.0" << true << 2.0;
    QTest::addRow("three") << "3" << true << 3.0;
    QTest::addRow("word") << "abc" << false << 0.0;
    QTest::addRow("empty") << "" << false << 0.0;
    QTest::addRow("number then word") << "1x" << false << 0.0;
}

void SettingsTest::numbersFromText() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, number);
    if (valid) {
        QCOMPARE(SettingToNumber(text), number);
        return;
    }
    try {
        SettingToNumber(text);
        QFAIL("a text that is no number was accepted");
    } catch (const std::exception& e) {
        QCOMPARE(QString(e.what()), QString("Type mismatch"));
    }
}

void SettingsTest::truthFromText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // 1 true, 0 false, -1 a failure
    QTest::addRow("True") << "True" << 1;
    QTest::addRow("False") << "False" << 0;
    QTest::addRow("small letters") << "false" << 0;
    QTest::addRow("one") << "1" << 1;
    QTest::addRow("zero") << "0" << 0;
    QTest::addRow("minus one") << "-1" << 1;
    QTest::addRow("yes") << "yes" << -1;
    QTest::addRow("empty") << "" << -1;
}

void SettingsTest::truthFromText() {
    QFETCH(QString, text);
    QFETCH(int, expected);
    if (expected >= 0) {
        QCOMPARE(SettingToTruth(text), expected == 1);
        return;
    }
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, SettingToTruth(text));
}

void SettingsTest::applicationTitle_data() {
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("title");
    QTest::addRow("one word stands whole") << "Tabrivel"
                                           << "Tabrivel";
    QTest::addRow("last word dropped") << "Tabrivel DBF Converter"
                                       << "Tabrivel DBF";
    QTest::addRow("cut until 40 or less")
        << "Tabrivel converts dBase and FoxPro tables into SQL scripts for you"
        << "Tabrivel converts dBase and FoxPro";
    QTest::addRow("exactly 40 after one cut") << QString(40, 'a') + " tail" << QString(40, 'a');
    QTest::addRow("nothing left after the cut") << " Tabrivel"
                                                << " Tabrivel";
}

void SettingsTest::applicationTitle() {
    QFETCH(QString, product);
    QFETCH(QString, title);
    QCOMPARE(DeriveApplicationTitle(product), title);
}

QTEST_GUILESS_MAIN(SettingsTest)
#include "SettingsTest.moc"
