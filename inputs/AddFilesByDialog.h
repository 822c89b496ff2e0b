#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace tabrivel {

// The numbered steps of PushButton1_Click, as the error box names them.
enum class AddFilesStep {
    ShowOpenDialog = 100,
    StopWhenCancelled = 102,
    CheckSelectionFits = 104,
    ShowTooManyFiles = 106,
    AppendChosenFile = 108,
};

constexpr std::array<AddFilesStep, 5> DeclaredSteps(AddFilesStep) {
    using enum AddFilesStep;
    return {ShowOpenDialog, StopWhenCancelled, CheckSelectionFits, ShowTooManyFiles,
            AppendChosenFile};
}

class InputListModel;
class Prompts;

// The open-file dialog hands back its whole selection as one text: the one path, or the
// folder followed by each chosen name, every part after the first preceded by a NUL.
// A selection whose text does not fit this many characters is refused.
inline constexpr qsizetype kFileNameBufferLength = 30000;

inline const QString kAddFilesTitle =
    QStringLiteral("Add File(s) - Hold Ctrl to select multiple files");
inline const QString kDbfFilter = QStringLiteral("DBF Files (*.dbf)");
inline const QString kTooManyFiles = QStringLiteral(
    "You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button.");

// The selection as the dialog's one text would hold it.
QString SelectionText(const QStringList& paths);
bool SelectionFitsBuffer(const QStringList& paths);

// Add DBF Files: appends each chosen path in the dialog's order, unchanged and untested
// (neither its extension, its existence nor an earlier row with the same path).
// Failures are reported under `location`.
void AddFilesByDialog(Prompts& prompts, const QString& applicationTitle, InputListModel& list,
                      const QString& location);

} // namespace tabrivel
