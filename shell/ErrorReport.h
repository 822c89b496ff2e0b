#pragma once

#include "shell/Prompts.h"
#include "shell/StatementTrap.h"

#include <QString>

namespace tabrivel {

// Where a trapped failure happened: the fixed texts users quote back to support.
namespace Location {
inline const QString FormLoad = QStringLiteral("in Tabrivel2021/08/31.Form1.Form_Load ");
inline const QString PushButton1 = QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton1_Click ");
inline const QString PushButton2 = QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton2_Click ");
inline const QString PushButton3 = QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton3_Click ");
inline const QString PushButton4 = QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton4_Click ");
inline const QString PushButton5 = QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton5_Click ");
inline const QString PushButton6 = QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton6_Click ");
inline const QString PushButton7 = QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton7_Click ");
inline const QString PushButton8 = QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton8_Click ");
inline const QString PushButton9 = QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton9_Click ");
inline const QString PushButton10 =
    QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton10_Click ");
inline const QString FolderScan =
    QStringLiteral("in Hollimark2021/08/31.AddFolder.GetSubDirectories2016 ");
} // namespace Location

inline const QString kErrorBoxTitle = QStringLiteral("Application Error");

// The box text: description, CR LF, location, "at line", number, two bare CRs and the
// request for a screenshot. Support tooling splits on exactly these separators.
QString ApplicationErrorText(const QString& location, int statement, const QString& description);

// Shows the warning box and returns when the user has closed it.
void ReportApplicationError(Prompts& prompts, const QString& location, int statement,
                            const QString& description);

// The reporter every trapped routine hands to its StatementTrap.
FailureReporter ErrorReporter(Prompts& prompts);

} // namespace tabrivel
