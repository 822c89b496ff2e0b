#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace tabrivel {

inline const QString kProductName = QStringLiteral("Tabrivel");

// Where users reach whoever made this build: build settings (TABRIVEL_HOME_PAGE,
// TABRIVEL_CONTACT_PAGE, TABRIVEL_SUPPORT_EMAIL), so that each packager names their own
// and no build sends users to an address nobody answers.
struct MakerAddresses {
    QString homePage;
    QString contactPage;
    QString supportEmail;
};

// The addresses this build was configured with, as given (empty when not set).
MakerAddresses BuiltInAddresses();

// False for an empty address and for one in a domain reserved for examples and tests
// (example.com, .net and .org, *.example, *.invalid, *.test, *.localhost): such an
// address is a placeholder, and nothing is shown or opened for it.
bool IsRealAddress(const QString& address);

// The home page the program opens now and then, when a real one is configured.
std::optional<QUrl> HomePageToOpen(const MakerAddresses& addresses);

// What the Help button says: how the window is used, and where to ask, if anywhere.
QString HelpText(const MakerAddresses& addresses);

// The error box's last sentence: where to send a screenshot of it, or, with no address
// configured, to keep one for the report.
QString SupportRequest(const MakerAddresses& addresses);

} // namespace tabrivel
