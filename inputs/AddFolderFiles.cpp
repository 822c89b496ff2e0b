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

// Hidden files that are otherwise plain (dot-files on POSIX) are left out; a file that is
// also a system file, or carries other bits, is not.
bool IsAddableFile(const QString& path) {
    constexpr int kHiddenArchive = FileAttribute::Hidden | FileAttribute::Archive;
    return IsExistingFile(path) && FileAttributes(path) != kHiddenArchive;
}

// The extension answer, stored as soon as it is not empty; empty when cancelled.
QString AskExtension(CommandHost& host, StatementTrap& trap) {
    QString answer;
    trap.run(100, [&] {
        answer = host.prompts()
                     .inputBox(host.applicationTitle(), kExtensionPrompt,
                               host.settings().read(Setting::Extension))
                     .value_or(QString());
    });
    if (trap.test(102, [&] { return answer.isEmpty(); }))
        return QString();
    trap.run(104, [&] { host.settings().write(Setting::Extension, answer); });
    return answer;
}

// The chosen folder, stored for the next time; empty when cancelled.
QString AskFolder(CommandHost& host, StatementTrap& trap) {
    QString folder;
    trap.run(106, [&] {
        folder = QDir::toNativeSeparators(BrowseForFolder(
            host.prompts(), kFolderPrompt, host.settings().read(Setting::LastFolder)));
    });
    if (trap.test(108, [&] { return folder.isEmpty(); }))
        return QString();
    if (trap.test(333, [&] { return !folder.isEmpty(); }))
        trap.run(334, [&] { host.settings().write(Setting::LastFolder, folder); });
    return folder;
}

} // namespace

void AddMatchingFilesOfFolder(StatementTrap& trap, InputListModel& list, const QString& entry,
                              const QString& pattern) {
    QString folder;
    trap.run(122, [&] { folder = entry.chopped(1); });
    FileNameList names;
    trap.run(124, [&] { names = ListFilesInFolder(folder, pattern); });
    for (int index = 1; index <= names.upperBound(); ++index) {
        QString name;
        trap.run(126, [&] { name = names.at(index); });
        if (trap.test(128, [&] { return name.startsWith(u'~'); }))
            continue;
        QString path;
        trap.run(130, [&] { path = folder + NativeSeparator() + name; });
        trap.run(134, [&] {
            if (IsAddableFile(path))
                list.append(CollapseDoubleBackslashes(path));
        });
    }
}

void AddAllFilesInFolder(CommandHost& host, const QString& location) {
    StatementTrap trap(location, ErrorReporter(host.prompts()));
    const QString answer = AskExtension(host, trap);
    if (answer.isEmpty())
        return;
    const QString chosen = AskFolder(host, trap);
    if (chosen.isEmpty())
        return;
    trap.run(114, [&] { host.setBusy(true); });
    FolderList folders;
    trap.run(116, [&] { folders.append(ScanEntry(chosen)); });
    const WindowScan scan(host);
    trap.run(118, [&] { GetSubDirectories2016(folders, true, scan.hooks()); });
    if (scan.windowClosed())
        return;
    const QString pattern = QStringLiteral("*.") + answer;
    trap.run(120, [&] {
        for (FolderList::Walk walk(folders); walk.next();)
            AddMatchingFilesOfFolder(trap, host.inputList(), walk.current(), pattern);
    });
    trap.run(138, [&] { host.setBusy(false); });
}

} // namespace tabrivel
