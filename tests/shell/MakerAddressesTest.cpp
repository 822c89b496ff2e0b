#include "shell/MakerAddresses.h"

#include <QtTest>

using namespace tabrivel;

// This test compiles shell/MakerAddresses.cpp itself, with the settings below given as
// the build gives them, so a configured build is tested whatever this one was set to.
namespace {
const QString kHome = QStringLiteral(TEST_HOME_PAGE);
const QString kContact = QStringLiteral(TEST_CONTACT_PAGE);
const QString kEmail = QStringLiteral(TEST_SUPPORT_EMAIL);
const QString kKeepScreenshot =
    QStringLiteral("Please include a screenshot of this message when you report it.");
} // namespace

class MakerAddressesTest : public QObject {
    Q_OBJECT

private slots:
    void theBuildSettingsArriveAsGiven() {
        const MakerAddresses built = BuiltInAddresses();
        QCOMPARE(built.homePage, kHome);
        QCOMPARE(built.contactPage, kContact);
        QCOMPARE(built.supportEmail, kEmail);
        QCOMPARE(HomePageToOpen(built), std::optional(QUrl(kHome)));
    }

    void placeholdersAreNoAddress_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("real");
        QTest::addRow("web page") << "https://www.tabrivel.org/" << true;
        QTest::addRow("e-mail") << "help@tabrivel.org" << true;
        QTest::addRow("mailto") << "mailto:help@tabrivel.org" << true;
        QTest::addRow("blanks around") << "  https://tabrivel.org/contact " << true;
        QTest::addRow("example inside a real name") << "https://myexample.com/" << true;
        QTest::addRow("example as a real subdomain") << "https://example.tabrivel.org/" << true;
        QTest::addRow("empty") << "" << false;
        QTest::addRow("blanks") << "   " << false;
        QTest::addRow("*.example page") << "https://www.marlquist.example/" << false;
        QTest::addRow("*.example e-mail") << "support@marlquist.example" << false;
        QTest::addRow("example.com") << "https://example.com/" << false;
        QTest::addRow("www.example.org") << "https://www.example.org/x" << false;
        QTest::addRow("upper case") << "https://EXAMPLE.NET" << false;
        QTest::addRow("upper-case e-mail") << "Support@Marlquist.EXAMPLE" << false;
        QTest::addRow("trailing dot") << "https://www.marlquist.example./" << false;
        QTest::addRow("*.invalid") << "https://tabrivel.invalid/" << false;
        QTest::addRow("*.test") << "mailto:me@shop.test" << false;
        QTest::addRow("localhost") << "http://localhost:8080/" << false;
        QTest::addRow("no host") << "tabrivel home" << false;
        QTest::addRow("e-mail without domain") << "help@" << false;
    }
    void placeholdersAreNoAddress() {
        QFETCH(QString, address);
        QFETCH(bool, real);
        QCOMPARE(IsRealAddress(address), real);
        const MakerAddresses addresses{address, address, address};
        QCOMPARE(HomePageToOpen(addresses).has_value(), real);
        const QString request = SupportRequest(addresses);
        if (real)
            QVERIFY2(request.endsWith(address.trimmed()), qPrintable(request));
        else
            QCOMPARE(request, kKeepScreenshot);
    }

    void errorBoxNamesWhatIsConfigured_data() {
        QTest::addColumn<QString>("contact");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("request");
        QTest::addRow("e-mail first")
            << kContact << kEmail << "Please email screenshot of this message to " + kEmail;
        QTest::addRow("contact page without e-mail")
            << kContact << QString()
            << "Please send a screenshot of this message through " + kContact;
        QTest::addRow("placeholder e-mail, real page")
            << kContact << "support@marlquist.example"
            << "Please send a screenshot of this message through " + kContact;
        QTest::addRow("nothing") << QString() << QString() << kKeepScreenshot;
        QTest::addRow("placeholders only") << "https://www.marlquist.example/contact"
                                           << "support@marlquist.example" << kKeepScreenshot;
    }
    void errorBoxNamesWhatIsConfigured() {
        QFETCH(QString, contact);
        QFETCH(QString, email);
        QFETCH(QString, request);
        QCOMPARE(SupportRequest({kHome, contact, email}), request);
    }
};

QTEST_GUILESS_MAIN(MakerAddressesTest)
#include "MakerAddressesTest.moc"
