#include "shell/ErrorReport.h"

#include "shell/MakerAddresses.h"

namespace tabrivel {

QString ApplicationErrorText(const QString& location, int statement, const QString& description) {
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") +
           QString::number(statement) + QStringLiteral("\r\r") + SupportRequest(BuiltInAddresses());
}

void ReportApplicationError(Prompts& prompts, const QString& location, int statement,
                            const QString& description) {
    prompts.messageBox(kErrorBoxTitle, ApplicationErrorText(location, statement, description),
                       BoxIcon::Warning, BoxButtons::Ok);
}

FailureReporter ErrorReporter(Prompts& prompts) {
    return [&prompts](const QString& location, int statement, const QString& description) {
        ReportApplicationError(prompts, location, statement, description);
    };
}

} // namespace tabrivel
