#pragma once

#include "inputs/InputListModel.h"
#include "results/ResultsListModel.h"
#include "shell/CommandHost.h"

#include "ScriptedPrompts.h"
#include "TempSettings.h"

#include <QStringList>

#include <functional>

namespace tabrivel::testing {

// The progress bar as a list of what it was told, one entry per call.
struct RecordedProgress final : ProgressDisplay {
    QStringList calls;
    // Runs after each call is recorded; a test throws from it to make the call fail.
    std::function<void(const QString& call)> onCall;

    void setValue(int percent) override { record(QStringLiteral("value %1").arg(percent)); }
    void setCaption(const QString& caption) override {
        record(QStringLiteral("caption ") + caption);
    }
    void setRowCaption(qint64 row, const QString& fileName) override {
        record(QStringLiteral("row %1 in %2").arg(row).arg(fileName));
    }

private:
    void record(const QString& call) {
        calls << call;
        if (onCall)
            onCall(call);
    }
};

// A host without a window, for commands whose test needs no widget: scripted prompts, a
// temporary store, options as plain fields, the two lists, and a yield that runs what
// the test asks and answers as the test says.
class FakeCommandHost final : public CommandHost {
public:
    mutable ScriptedPrompts scriptedPrompts;
    mutable TempSettings store;
    QString title = QStringLiteral("Tabrivel");
    QString folderOfProgram;
    QString table = QStringLiteral("Table1");
    QString tableDelimiter = QStringLiteral("'");
    QString output;
    bool insertOnlyOption = false;
    bool saveToFolderOption = true;
    bool semicolon = true;
    std::optional<int> selected;
    mutable InputListModel inputs;
    mutable ResultsListModel statements;
    RecordedProgress bar;
    bool busy = false;
    int yields = 0;
    // Runs at each yield; its answer is the yield's (false: the window is closing).
    std::function<bool(int yield)> onYield;

    Prompts& prompts() const override { return scriptedPrompts; }
    Settings& settings() const override { return store.settings(); }
    const QString& applicationTitle() const override { return title; }
    const QString& programFolder() const override { return folderOfProgram; }

    QString tableName() const override { return table; }
    QString delimiter() const override { return tableDelimiter; }
    QString outputFolder() const override { return output; }
    bool insertOnly() const override { return insertOnlyOption; }
    bool createTable() const override { return !insertOnlyOption; }
    bool saveToFolder() const override { return saveToFolderOption; }
    bool saveBesideOriginal() const override { return !saveToFolderOption; }
    bool includeSemicolon() const override { return semicolon; }
    void showOutputFolder(const QString& folder) override { output = folder; }

    InputListModel& inputList() const override { return inputs; }
    std::optional<int> selectedInput() const override { return selected; }
    ResultsListModel& results() const override { return statements; }
    ProgressDisplay& progress() override { return bar; }

    void setBusy(bool value) override { busy = value; }
    bool isBusy() const override { return busy; }
    bool Yield() override {
        ++yields;
        return !onYield || onYield(yields);
    }
};

} // namespace tabrivel::testing
