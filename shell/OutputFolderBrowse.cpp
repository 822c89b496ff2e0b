#include "shell/OutputFolderBrowse.h"

#include "shell/ErrorReport.h"
#include "shell/FolderPicker.h"
#include "shell/StatementTrap.h"

#include <QDir>

namespace tabrivel {

void BrowseForOutputFolder(Prompts& prompts, Settings& settings,
                           const std::function<void(const QString&)>& showFolder,
                           const QString& location) {
    StatementTrap<BrowseStep> trap(location, ErrorReporter(prompts));
    QString lastFolder;
    trap.run(BrowseStep::ReadLastFolder,
             [&] { lastFolder = settings.read(Setting::LastFolderDot); });
    QString chosen;
    trap.run(BrowseStep::PickFolder, [&] {
        chosen = BrowseForFolder(prompts, QStringLiteral("Please select folder:"), lastFolder);
    });
    if (trap.test(BrowseStep::StopWhenCancelled, [&] { return chosen.isEmpty(); }))
        return;
    trap.run(BrowseStep::RememberFolder, [&] { lastFolder = chosen; });
    trap.run(BrowseStep::StoreLastFolder,
             [&] { settings.write(Setting::LastFolderDot, lastFolder); });
    if (trap.test(BrowseStep::CheckTrailingSeparator,
                  [&] { return !chosen.endsWith(QDir::separator()); }))
        trap.run(BrowseStep::ShowWithSeparator, [&] { showFolder(chosen + QDir::separator()); });
    else
        trap.run(BrowseStep::ShowAsChosen, [&] { showFolder(chosen); });
}

} // namespace tabrivel
