#include "inputs/SampleFiles.h"

#include "fs/PathHelpers.h"
#include "inputs/InputListModel.h"
#include "shell/Prompts.h"

#include <QUrl>

namespace tabrivel {

namespace {

const QString kOpenFolderQuestion = QStringLiteral(
    "Would you like this software to open the folder where these sample files are stored (so "
    "that you can view them before working with them)?");

// Shown when no file manager took the folder, so the user can still find the tables.
QString FolderNotOpenedText(const QString& folder) {
    return QStringLiteral("The sample folder could not be opened here. The sample files are "
                          "in this folder:\r\n") +
           folder + NativeSeparator();
}

// A memo or code-page file whose table (same name, .dbf) stands in the same listing.
bool BelongsToTable(const QString& name, const QStringList& names) {
    static const QStringList kCompanions = {QStringLiteral("dbt"), QStringLiteral("fpt"),
                                            QStringLiteral("smt"), QStringLiteral("cpg")};
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || !kCompanions.contains(name.mid(dot + 1), Qt::CaseInsensitive))
        return false;
    const QString table = name.left(dot) + QStringLiteral(".dbf");
    return names.contains(table, Qt::CaseInsensitive);
}

} // namespace

QString SampleFolder(const QString& programFolder) {
    return programFolder + NativeSeparator() + QStringLiteral("Samples");
}

QStringList SampleFileNames(const QString& sampleFolder) {
    const QStringList names = ListFilesInFolder(sampleFolder, QStringLiteral("*.*")).names();
    QStringList offered;
    for (const QString& name : names) {
        if (!BelongsToTable(name, names))
            offered.append(name);
    }
    return offered;
}

void LoadSampleFiles(InputListModel& list, const QString& programFolder, Prompts& prompts,
                     const QString& title) {
    const QString folder = SampleFolder(programFolder);
    for (const QString& name : SampleFileNames(folder)) {
        const QString path = folder + NativeSeparator() + name;
        if (PathExists(path) && !IsPathInList(list, path))
            list.append(path);
    }
    const BoxAnswer answer =
        prompts.messageBox(title, kOpenFolderQuestion, BoxIcon::None, BoxButtons::YesNo);
    if (answer == BoxAnswer::Yes && !prompts.openUrl(QUrl::fromLocalFile(folder)))
        prompts.messageBox(title, FolderNotOpenedText(folder), BoxIcon::None, BoxButtons::Ok);
}

} // namespace tabrivel
