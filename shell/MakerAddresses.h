#pragma once

#include <QString>

namespace tabrivel {

// The maker's addresses, kept in one place so that they change together.
inline const QString kProductName = QStringLiteral("Tabrivel");
inline const QString kSupportEmail = QStringLiteral("support@marlquist.example");
inline const QString kHomePage = QStringLiteral("https://www.marlquist.example/");
inline const QString kContactPage = QStringLiteral("https://www.marlquist.example/contact");

} // namespace tabrivel
