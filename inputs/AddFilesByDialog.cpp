#include "inputs/AddFilesByDialog.h"

#include "fs/PathText.h"
#include "inputs/InputListModel.h"
#include "shell/ErrorReport.h"
#include "shell/Prompts.h"
#include "shell/StatementTrap.h"

namespace tabrivel {

namespace {

// The folder as the dialog names it: without a trailing separator, except for a root.
QString DialogFolder(const QString& path) {
    QString folder = FolderOfPath(path);
    const bool root =
        folder.size() <= 1 || folder.endsWith(QStringLiteral(":") + NativeSeparator());
    if (!root && folder.endsWith(NativeSeparator()))
        folder.chop(1);
    return folder;
}

} // namespace

QString SelectionText(const QStringList& paths) {
    if (paths.size() == 1)
        return paths.front();
    QString text = paths.isEmpty() ? QString() : DialogFolder(paths.front());
    for (const QString& path : paths) {
        text += QChar(u'\0');
        text += FileNameOfPath(path);
    }
    return text;
}

bool SelectionFitsBuffer(const QStringList& paths) {
    // The text and its terminating NUL share the buffer.
    return SelectionText(paths).size() < kFileNameBufferLength;
}

void AddFilesByDialog(Prompts& prompts, const QString& applicationTitle, InputListModel& list,
                      const QString& location) {
    StatementTrap<AddFilesStep> trap(location, ErrorReporter(prompts));
    QStringList chosen;
    trap.run(AddFilesStep::ShowOpenDialog,
             [&] { chosen = prompts.openFiles(kAddFilesTitle, kDbfFilter, true); });
    if (trap.test(AddFilesStep::StopWhenCancelled, [&] { return chosen.isEmpty(); }))
        return;
    if (trap.test(AddFilesStep::CheckSelectionFits, [&] { return !SelectionFitsBuffer(chosen); })) {
        trap.run(AddFilesStep::ShowTooManyFiles, [&] {
            prompts.messageBox(applicationTitle, kTooManyFiles, BoxIcon::None, BoxButtons::Ok);
        });
        return;
    }
    // Several names come as a folder and names joined here; a folder that already ends in
    // its separator (a drive root) must not leave a doubled one. One name is taken as is.
    const bool joined = chosen.size() > 1;
    for (const QString& path : std::as_const(chosen))
        trap.run(AddFilesStep::AppendChosenFile,
                 [&] { list.append(joined ? CollapseDoubleBackslashes(path) : path); });
}

} // namespace tabrivel
