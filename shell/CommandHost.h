#pragma once

#include "shell/Prompts.h"
#include "shell/Settings.h"

#include <QString>

#include <optional>

namespace tabrivel {

// The two lists are named here but never included: they live in the rooms above, whose
// commands include them where they use them.
class InputListModel;
class ResultsListModel;

// The progress bar as a long command shows where it is.
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;

    virtual void setValue(int percent) = 0;
    virtual void setCaption(const QString& caption) = 0;
    // "Processing row: " + row + " in: " + fileName.
    virtual void setRowCaption(qint64 row, const QString& fileName) = 0;
};

// Everything a command of the window reaches: the boxes, the store, the options as they
// stand at the moment they are read, the two lists, the progress bar, the busy pointer
// and the chance to let the window handle its events. The window is the one real host;
// tests may hand in one of their own.
class CommandHost {
public:
    virtual ~CommandHost() = default;

    virtual Prompts& prompts() const = 0;
    virtual Settings& settings() const = 0;
    // The caption of every box that names no title of its own.
    virtual const QString& applicationTitle() const = 0;
    // The folder of the program's executable; the files installed beside it live there.
    virtual const QString& programFolder() const = 0;

    virtual QString tableName() const = 0;       // Text1
    virtual QString delimiter() const = 0;       // Text2
    virtual QString outputFolder() const = 0;    // Text3
    virtual bool insertOnly() const = 0;         // Option6
    virtual bool createTable() const = 0;        // Option7
    virtual bool saveToFolder() const = 0;       // Option1
    virtual bool saveBesideOriginal() const = 0; // Option2
    virtual bool includeSemicolon() const = 0;   // Check3
    // Puts a folder into the output folder's box, as if typed there.
    virtual void showOutputFolder(const QString& folder) = 0;

    // The input files (ListView1) with the row the user selected, and the statements
    // (ListView2).
    virtual InputListModel& inputList() const = 0;
    virtual std::optional<int> selectedInput() const = 0;
    virtual ResultsListModel& results() const = 0;

    virtual ProgressDisplay& progress() = 0;

    // The busy pointer, which also tells that a long command runs.
    virtual void setBusy(bool busy) = 0;
    virtual bool isBusy() const = 0;

    // Lets the window handle pending events in the middle of a long command. False once
    // the window is closing or gone: the caller must then return at once and must not
    // touch the host again.
    [[nodiscard]] virtual bool Yield() = 0;
};

} // namespace tabrivel
