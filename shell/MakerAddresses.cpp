#include "shell/MakerAddresses.h"

#include <QStringList>

#include <algorithm>

// The build settings arrive here, and only here, as compile definitions.
#ifndef TABRIVEL_HOME_PAGE
#define TABRIVEL_HOME_PAGE ""
#endif
#ifndef TABRIVEL_CONTACT_PAGE
#define TABRIVEL_CONTACT_PAGE ""
#endif
#ifndef TABRIVEL_SUPPORT_EMAIL
#define TABRIVEL_SUPPORT_EMAIL ""
#endif

namespace tabrivel {

namespace {

const QString kHowTo =
    QStringLiteral("Tabrivel turns dBase and FoxPro tables (.dbf) into SQL scripts: add "
                   "tables to the list, choose the options and press Start Converting.");

// The host of a web address or the domain of an e-mail address, in lower case.
QString HostOf(const QString& address) {
    const qsizetype at = address.lastIndexOf(QLatin1Char('@'));
    if (at >= 0 && !address.contains(QLatin1String("://")))
        return address.mid(at + 1).trimmed().toLower();
    return QUrl(address.trimmed()).host().toLower();
}

bool IsReservedHost(const QString& host) {
    static const QStringList reservedNames = {
        QStringLiteral("example.com"), QStringLiteral("example.net"), QStringLiteral("example.org"),
        QStringLiteral("localhost")};
    static const QStringList reservedEndings = {
        QStringLiteral(".example.com"), QStringLiteral(".example.net"),
        QStringLiteral(".example.org"), QStringLiteral(".example"),
        QStringLiteral(".invalid"),     QStringLiteral(".test"),
        QStringLiteral(".localhost")};
    QString name = host;
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    if (reservedNames.contains(name))
        return true;
    const QString dotted = QLatin1Char('.') + name;
    return std::any_of(reservedEndings.begin(), reservedEndings.end(),
                       [&](const QString& ending) { return dotted.endsWith(ending); });
}

} // namespace

MakerAddresses BuiltInAddresses() {
    return {QStringLiteral(TABRIVEL_HOME_PAGE), QStringLiteral(TABRIVEL_CONTACT_PAGE),
            QStringLiteral(TABRIVEL_SUPPORT_EMAIL)};
}

bool IsRealAddress(const QString& address) {
    const QString host = HostOf(address);
    return !host.isEmpty() && !IsReservedHost(host);
}

std::optional<QUrl> HomePageToOpen(const MakerAddresses& addresses) {
    if (!IsRealAddress(addresses.homePage))
        return std::nullopt;
    const QUrl page(addresses.homePage.trimmed());
    if (!page.isValid())
        return std::nullopt;
    return page;
}

QString HelpText(const MakerAddresses& addresses) {
    if (IsRealAddress(addresses.contactPage))
        return kHowTo + QStringLiteral("\r\n\r\nQuestions? Please contact us at ") +
               addresses.contactPage.trimmed();
    if (IsRealAddress(addresses.supportEmail))
        return kHowTo + QStringLiteral("\r\n\r\nQuestions? Please email ") +
               addresses.supportEmail.trimmed();
    return kHowTo;
}

QString SupportRequest(const MakerAddresses& addresses) {
    if (IsRealAddress(addresses.supportEmail))
        return QStringLiteral("Please email screenshot of this message to ") +
               addresses.supportEmail.trimmed();
    if (IsRealAddress(addresses.contactPage))
        return QStringLiteral("Please send a screenshot of this message through ") +
               addresses.contactPage.trimmed();
    return QStringLiteral("Please include a screenshot of this message when you report it.");
}

} // namespace tabrivel
