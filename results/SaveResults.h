#pragma once

#include "shell/Prompts.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace tabrivel {

// The numbered steps of PushButton8_Click, as the error box names them.
enum class SaveStep {
    RefuseWithoutFolder = 100,
    ShowMissingFolder = 102,
    CheckSaveToFolder = 104,
    PathInFolder = 106,
    CheckBesideOriginal = 108,
    CheckOriginalFolder = 110,
    PathBesideOriginal = 112,
    PathInFolderWithoutInputs = 114,
    StopWithoutPath = 116,
    CheckFileExists = 118,
    AskOverwrite = 120,
    ShowBusyPointer = 122,
    CreateFile = 124,
    WriteRows = 126,
    CloseFile = 128,
    ShowNormalPointer = 130,
    ShowDone = 132,
};

constexpr std::array<SaveStep, 17> DeclaredSteps(SaveStep) {
    using enum SaveStep;
    return {RefuseWithoutFolder,
            ShowMissingFolder,
            CheckSaveToFolder,
            PathInFolder,
            CheckBesideOriginal,
            CheckOriginalFolder,
            PathBesideOriginal,
            PathInFolderWithoutInputs,
            StopWithoutPath,
            CheckFileExists,
            AskOverwrite,
            ShowBusyPointer,
            CreateFile,
            WriteRows,
            CloseFile,
            ShowNormalPointer,
            ShowDone};
}

class ResultsListModel;

// The name every results file gets, in whichever folder it is saved.
inline const QString kResultsFileName = QStringLiteral("Tabrivel.txt");

// Where the save options send the results file.
struct SaveOptions {
    bool toFolder = true;        // "Save results to this folder:"
    bool besideOriginal = false; // "Save results in folder of original file"
    QString folder;              // the typed or browsed output folder
};

// What the save command reads from and acts on in the window.
struct SaveCommandContext {
    Prompts& prompts;
    QString location; // where its failures are reported
    QString title;    // caption of the command's own boxes
    SaveOptions options;
    // The folder of the selected input file, or of the first one when none is selected;
    // none while the input list is empty.
    std::optional<QString> originalFolder;
    const ResultsListModel& results;
    std::function<void(bool)> setBusy;
    // Lets the window handle its events; false once it is closing.
    std::function<bool()> yield;
};

// "Save Results As Text File": checks the folder, asks before overwriting, then writes
// every results row as a line of the file, yielding to the window as it goes. A save
// that fails in any way, including a results list that changes while it is being
// written, is reported once and leaves any earlier file as it was.
void SaveResultsAsTextFile(const SaveCommandContext& context);

} // namespace tabrivel
