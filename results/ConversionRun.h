#pragma once

#include "engine/ValueText.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace tabrivel {

class CommandHost;
class StatementTrap;
class TableSource;

// Start Converting: turns every table of the input list, in list order, into SQL
// statements in the results list, yielding to the window once per table and once per
// thousand records so the window stays responsive, and refusing to start again while it
// runs. Options are read from the window at the moment each is needed, so a change made
// during a yield takes effect from the next statement.
class ConversionRun {
public:
    // Called at every yield, just before the window handles its pending events.
    using YieldObserver = std::function<void()>;
    // Opens a table of the input list; OpenTable unless replaced.
    using TableOpener = std::function<std::unique_ptr<TableSource>(const std::filesystem::path&)>;

    // Failures are reported under `location`.
    ConversionRun(CommandHost& window, QString location);
    ~ConversionRun();

    // How numbers and dates are written; the system locale's unless replaced.
    void setValueFormat(ValueFormat format) { format_ = std::move(format); }
    void setYieldObserver(YieldObserver observer) { observer_ = std::move(observer); }
    void setTableOpener(TableOpener opener) { opener_ = std::move(opener); }

    bool isConverting() const { return isConverting_; }

    void PushButton2_Click();

private:
    struct Pass;
    enum class Outcome { Carried, WindowClosing };

    bool refused(StatementTrap& trap);
    Outcome convertAll(Pass& pass);
    Outcome convertFile(Pass& pass, int index);
    void openTable(Pass& pass);
    void noteWarnings(Pass& pass, int statement);
    void reportWarnings(Pass& pass);
    void appendCreateTable(Pass& pass);
    Outcome convertRecords(Pass& pass);
    bool appendInsert(Pass& pass);
    void showMessage(const QString& text);
    bool yield();

    CommandHost& window_;
    QString location_;
    ValueFormat format_;
    YieldObserver observer_;
    TableOpener opener_;
    bool isConverting_ = false;
};

} // namespace tabrivel
