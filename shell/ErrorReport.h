#pragma once

#include "shell/Prompts.h"
#include "shell/StatementTrap.h"

#include <QString>

namespace tabrivel {

// Where a trapped failure happened: the fixed texts users quote back to support. Each
// push button's routine has its own, in the window's control table, and hands it to its
// command.
namespace Location {
inline const QString FormLoad = QStringLiteral("in Tabrivel2021/08/31.Form1.Form_Load ");
inline const QString FolderScan =
    QStringLiteral("in Hollimark2021/08/31.AddFolder.GetSubDirectories2016 ");
} // namespace Location

inline const QString kErrorBoxTitle = QStringLiteral("Application Error");

// The box text: description, CR LF, location, "at line", number, two bare CRs and the
// request for a screenshot (naming the support address this build was configured with).
// Support tooling splits on exactly these separators.
QString ApplicationErrorText(const QString& location, int statement, const QString& description);

// Shows the warning box and returns when the user has closed it.
void ReportApplicationError(Prompts& prompts, const QString& location, int statement,
                            const QString& description);

// The reporter every trapped routine hands to its StatementTrap.
FailureReporter ErrorReporter(Prompts& prompts);

} // namespace tabrivel
