#include "shell/OutputFolderBrowse.h"

#include "shell/ErrorReport.h"
#include "shell/FolderPicker.h"
#include "shell/StatementTrap.h"

#include <QDir>

namespace tabrivel {

void BrowseForOutputFolder(Prompts& prompts, Settings& settings,
                           const std::function<void(const QString&)>& showFolder,
                           const QString& location) {
    StatementTrap trap(location, ErrorReporter(prompts));
    QString lastFolder;
    trap.run(100, [&] { lastFolder = settings.read(Setting::LastFolderDot); });
    QString chosen;
    trap.run(102, [&] {
        chosen = BrowseForFolder(prompts, QStringLiteral("Please select folder:"), lastFolder);
    });
    if (trap.test(104, [&] { return chosen.isEmpty(); }))
        return;
    trap.run(106, [&] { lastFolder = chosen; });
    trap.run(108, [&] { settings.write(Setting::LastFolderDot, lastFolder); });
    if (trap.test(110, [&] { return !chosen.endsWith(QDir::separator()); }))
        trap.run(112, [&] { showFolder(chosen + QDir::separator()); });
    else
        trap.run(114, [&] { showFolder(chosen); });
}

} // namespace tabrivel
