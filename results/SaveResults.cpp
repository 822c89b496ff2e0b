#include "results/SaveResults.h"

#include "fs/FileQueries.h"
#include "fs/PathText.h"
#include "results/ResultsFile.h"
#include "results/ResultsListModel.h"
#include "results/ThrottledYield.h"
#include "shell/ErrorReport.h"
#include "shell/StatementTrap.h"

#include <QObject>

#include <stdexcept>

namespace tabrivel {

namespace {

QString InFolder(const QString& folder) {
    return CollapseDoubleBackslashes(folder + NativeSeparator() + kResultsFileName);
}

// Notices every way rows can leave the list or move while a save yields: removals,
// a reset (Clear Results, a new conversion run) and reorderings.
class ListChangeWatch {
public:
    explicit ListChangeWatch(const ResultsListModel& list) {
        const auto changed = [this] {
            changed_ = true;
        };
        connections_[0] =
            QObject::connect(&list, &QAbstractItemModel::rowsAboutToBeRemoved, changed);
        connections_[1] =
            QObject::connect(&list, &QAbstractItemModel::modelAboutToBeReset, changed);
        connections_[2] =
            QObject::connect(&list, &QAbstractItemModel::layoutAboutToBeChanged, changed);
        connections_[3] = QObject::connect(&list, &QAbstractItemModel::rowsAboutToBeMoved, changed);
    }
    ~ListChangeWatch() {
        for (const auto& connection : connections_)
            QObject::disconnect(connection);
    }
    ListChangeWatch(const ListChangeWatch&) = delete;
    ListChangeWatch& operator=(const ListChangeWatch&) = delete;

    bool changed() const { return changed_; }

private:
    QMetaObject::Connection connections_[4];
    bool changed_ = false;
};

enum class RowsEnd { Written, Abandoned };

// Writes rows 0 to count - 1, yielding before each. Abandoned when the window closes.
RowsEnd WriteRows(ResultsFile& file, const SaveCommandContext& context, int count) {
    const ResultsListModel& results = context.results;
    const ListChangeWatch watch(results);
    ThrottledYield yield(context.yield);
    for (int row = 0; row < count; ++row) {
        if (!yield())
            return RowsEnd::Abandoned;
        if (watch.changed() || !results.isValidRow(row))
            throw std::runtime_error(
                "The results list changed while it was being saved; the file was not replaced.");
        file.writeRow(results.utf8At(row));
    }
    return RowsEnd::Written;
}

bool FolderCheckPasses(StatementTrap<SaveStep>& trap, const SaveCommandContext& context) {
    const SaveOptions& options = context.options;
    if (!trap.test(SaveStep::RefuseWithoutFolder,
                   [&] { return !IsFolder(options.folder) && !options.besideOriginal; }))
        return true;
    trap.run(SaveStep::ShowMissingFolder, [&] {
        context.prompts.messageBox(context.title,
                                   QStringLiteral("Folder does not exist. Please select another "
                                                  "folder."),
                                   BoxIcon::None, BoxButtons::Ok);
    });
    return false;
}

QString ChooseFilePath(StatementTrap<SaveStep>& trap, const SaveCommandContext& context) {
    const SaveOptions& options = context.options;
    QString path;
    if (trap.test(SaveStep::CheckSaveToFolder, [&] { return options.toFolder; })) {
        trap.run(SaveStep::PathInFolder, [&] { path = InFolder(options.folder); });
    } else if (trap.test(SaveStep::CheckBesideOriginal, [&] { return options.besideOriginal; })) {
        if (trap.test(SaveStep::CheckOriginalFolder,
                      [&] { return context.originalFolder.has_value(); }))
            trap.run(SaveStep::PathBesideOriginal,
                     [&] { path = InFolder(*context.originalFolder); });
        else
            trap.run(SaveStep::PathInFolderWithoutInputs, [&] { path = InFolder(options.folder); });
    }
    return path;
}

bool MayWrite(StatementTrap<SaveStep>& trap, const SaveCommandContext& context,
              const QString& path) {
    if (!trap.test(SaveStep::CheckFileExists, [&] { return PathExists(path); }))
        return true;
    BoxAnswer answer = BoxAnswer::No;
    trap.run(SaveStep::AskOverwrite, [&] {
        answer = context.prompts.messageBox(context.title,
                                            QStringLiteral("Are you sure you wish to overwrite ") +
                                                path + QStringLiteral(" ?"),
                                            BoxIcon::None, BoxButtons::YesNo);
    });
    return answer == BoxAnswer::Yes;
}

} // namespace

void SaveResultsAsTextFile(const SaveCommandContext& context) {
    StatementTrap<SaveStep> trap(context.location, ErrorReporter(context.prompts));
    if (!FolderCheckPasses(trap, context))
        return;
    const QString path = ChooseFilePath(trap, context);
    if (trap.test(SaveStep::StopWithoutPath, [&] { return path.isEmpty(); }))
        return;
    if (!MayWrite(trap, context, path))
        return;
    trap.run(SaveStep::ShowBusyPointer, [&] { context.setBusy(true); });
    ResultsFile file(path);
    bool written = trap.run(SaveStep::CreateFile, [&] { file.create(); });
    RowsEnd end = RowsEnd::Written;
    written = written && trap.run(SaveStep::WriteRows,
                                  [&] { end = WriteRows(file, context, context.results.count()); });
    // The window is closing: nothing of it may be touched, and the old file stays.
    if (end == RowsEnd::Abandoned)
        return;
    written = written && trap.run(SaveStep::CloseFile, [&] { file.commit(); });
    trap.run(SaveStep::ShowNormalPointer, [&] { context.setBusy(false); });
    if (written)
        trap.run(SaveStep::ShowDone, [&] {
            context.prompts.messageBox(context.title, QStringLiteral("Done."), BoxIcon::None,
                                       BoxButtons::Ok);
        });
}

} // namespace tabrivel
