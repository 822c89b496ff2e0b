#include "inputs/AddFolderFiles.h"

#include "inputs/WindowScan.h"

#include "fs/FolderList.h"
#include "fs/PathHelpers.h"
#include "inputs/InputListModel.h"
#include "shell/CommandHost.h"
#include "shell/ErrorReport.h"
#include "shell/FolderPicker.h"
#include "shell/StatementTrap.h"

#include <QDir>

namespace tabrivel {

namespace {

const QString kExtensionPrompt =
    QStringLiteral("Enter file extension to load:\r\r"
                   "(* for all files, txt for all txt files, doc for all doc files, etc.)");
const QString kFolderPrompt = QStringLiteral("Please select folder:");

// The extension answer, stored as soon as it is not empty; empty when cancelled.
QString AskExtension(CommandHost& host, StatementTrap<AddFolderStep>& trap) {
    QString answer;
    trap.run(AddFolderStep::AskExtension, [&] {
        answer = host.prompts()
                     .inputBox(host.applicationTitle(), kExtensionPrompt,
                               host.settings().read(Setting::Extension))
                     .value_or(QString());
    });
    if (trap.test(AddFolderStep::StopWithoutExtension, [&] { return answer.isEmpty(); }))
        return QString();
    trap.run(AddFolderStep::StoreExtension,
             [&] { host.settings().write(Setting::Extension, answer); });
    return answer;
}

// The chosen folder, stored for the next time; empty when cancelled.
QString AskFolder(CommandHost& host, StatementTrap<AddFolderStep>& trap) {
    QString folder;
    trap.run(AddFolderStep::AskFolder, [&] {
        folder = QDir::toNativeSeparators(BrowseForFolder(
            host.prompts(), kFolderPrompt, host.settings().read(Setting::LastFolder)));
    });
    if (trap.test(AddFolderStep::StopWithoutFolder, [&] { return folder.isEmpty(); }))
        return QString();
    if (trap.test(AddFolderStep::CheckFolderChosen, [&] { return !folder.isEmpty(); }))
        trap.run(AddFolderStep::StoreFolder,
                 [&] { host.settings().write(Setting::LastFolder, folder); });
    return folder;
}

} // namespace

void AddMatchingFilesOfFolder(StatementTrap<AddFolderStep>& trap, InputListModel& list,
                              const QString& entry, const QString& pattern) {
    QString folder;
    trap.run(AddFolderStep::DropTrailingSeparator, [&] { folder = entry.chopped(1); });
    FileNameList names;
    trap.run(AddFolderStep::ListMatchingFiles, [&] { names = ListFilesInFolder(folder, pattern); });
    for (int index = 1; index <= names.upperBound(); ++index) {
        QString name;
        trap.run(AddFolderStep::TakeFileName, [&] { name = names.at(index); });
        if (trap.test(AddFolderStep::SkipTildeName, [&] { return IsLeftOutName(name); }))
            continue;
        QString path;
        trap.run(AddFolderStep::BuildFullPath, [&] { path = folder + NativeSeparator() + name; });
        trap.run(AddFolderStep::AppendAddableFile, [&] {
            if (IsAddableFile(path))
                list.append(CollapseDoubleBackslashes(path));
        });
    }
}

void AddAllFilesInFolder(CommandHost& host, const QString& location) {
    StatementTrap<AddFolderStep> trap(location, ErrorReporter(host.prompts()));
    const QString answer = AskExtension(host, trap);
    if (answer.isEmpty())
        return;
    const QString chosen = AskFolder(host, trap);
    if (chosen.isEmpty())
        return;
    trap.run(AddFolderStep::ShowBusyPointer, [&] { host.setBusy(true); });
    FolderList folders;
    trap.run(AddFolderStep::StartFolderList, [&] { folders.append(ScanEntry(chosen)); });
    const WindowScan scan(host);
    trap.run(AddFolderStep::ScanSubFolders,
             [&] { GetSubDirectories2016(folders, true, scan.hooks()); });
    if (scan.windowClosed())
        return;
    const QString pattern = QStringLiteral("*.") + answer;
    trap.run(AddFolderStep::WalkFolders, [&] {
        for (FolderList::Walk walk(folders); walk.next();)
            AddMatchingFilesOfFolder(trap, host.inputList(), walk.current(), pattern);
    });
    trap.run(AddFolderStep::ShowNormalPointer, [&] { host.setBusy(false); });
}

} // namespace tabrivel
