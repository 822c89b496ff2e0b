#pragma once

#include "results/ClipboardText.h"
#include "shell/Prompts.h"

#include <QString>

#include <array>
#include <functional>

namespace tabrivel {

// The numbered steps of PushButton4_Click, as the error box names them.
enum class CopyStep {
    CopyToClipboard = 106,
    ShowCopied = 108,
};

constexpr std::array<CopyStep, 2> DeclaredSteps(CopyStep) {
    using enum CopyStep;
    return {CopyToClipboard, ShowCopied};
}

class ResultsListModel;

// The results list as a table of one column in which every row counts as checked. A
// row that has gone from the list throws when it is read.
CellTable ResultsTable(const ResultsListModel& results);

// What the copy command reads from and acts on in the window.
struct CopyCommandContext {
    Prompts& prompts;
    QString location; // where its failures are reported
    QString title;    // caption of the closing message
    const ResultsListModel& results;
    // Lets the window handle its events; false once it is closing.
    std::function<bool()> yield;
};

inline const QString kCopiedMessage = QStringLiteral(
    "Results have been copied to the clipboard.\r\rClick a text area where you normally type "
    "and press Ctrl+V to paste the clipboard.");

// "Copy Results To Clipboard": the results as text on the clipboard, then the message
// that tells how to paste them, also after a reported failure or for an empty list.
void CopyResultsToClipboard(const CopyCommandContext& context);

} // namespace tabrivel
