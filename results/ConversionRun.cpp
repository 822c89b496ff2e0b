#include "results/ConversionRun.h"

#include "engine/SqlText.h"
#include "engine/TableConversion.h"
#include "engine/TableSource.h"
#include "fs/PathHelpers.h"
#include "inputs/InputListModel.h"
#include "results/ResultsListModel.h"
#include "shell/CommandHost.h"
#include "shell/ErrorReport.h"
#include "shell/StatementTrap.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <new>

namespace tabrivel {

namespace {

using Step = ConversionStep;

const QString kNoFiles = QStringLiteral("No files added.");
const QString kNoFolder = QStringLiteral("Folder does not exist. Please select another folder.");
const QString kDone = QStringLiteral("Done.");
const QString kIdleCaption = QStringLiteral("Progress Bar");
const QString kFileCaption = QStringLiteral("Processing: ");

std::string Utf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// i of `total` files, as the bar's whole percent.
int PercentOf(int index, int total) {
    if (total <= 0)
        return 100;
    const double percent = static_cast<double>(index) / total * 100.0;
    return std::clamp(static_cast<int>(std::lround(percent)), 0, 100);
}

} // namespace

// What one run carries from step to step. It lives on the run's own stack, so a click
// that arrives during a yield can never disturb it.
struct ConversionRun::Pass {
    Pass(StatementTrap<ConversionStep> trap, ProgressDisplay& bar, ResultsListModel& results)
        : trap(std::move(trap)), bar(bar), results(results) {}

    StatementTrap<ConversionStep> trap;
    ProgressDisplay& bar;
    ResultsListModel& results;
    std::string opening;
    std::string closing;
    // The table in hand and what is known about it.
    QString path;
    QString fileName;
    std::string baseName;
    std::unique_ptr<TableConversion> table;
    // For each of the table's warnings so far, the statement at which it appeared.
    std::vector<int> warningStatements;
    qint64 row = 0;
    // The table-name option as last read, and in UTF-8, so that an unchanged option costs
    // one comparison per statement.
    QString nameOption;
    std::string tableName;
    bool nameRead = false;
    std::string statement;
};

ConversionRun::ConversionRun(CommandHost& window, QString location)
    : window_(window), location_(std::move(location)),
      format_(ValueFormat::fromLocale(QLocale::system())),
      opener_([](const std::filesystem::path& path) { return OpenTable(path); }) {}

ConversionRun::~ConversionRun() = default;

void ConversionRun::PushButton2_Click() {
    Pass pass(StatementTrap<ConversionStep>(location_, ErrorReporter(window_.prompts())),
              window_.progress(), window_.results());
    StatementTrap<ConversionStep>& trap = pass.trap;
    if (trap.test(Step::RefuseSecondRun, [&] { return isConverting_; }))
        return;
    trap.run(Step::MarkConverting, [&] { isConverting_ = true; });
    if (!refused(trap) && convertAll(pass) == Outcome::WindowClosing)
        return; // the window may be gone: nothing of it is touched again
    trap.run(Step::MarkIdle, [&] { isConverting_ = false; });
}

// The two checks before anything changes; true when one of them refused the run.
bool ConversionRun::refused(StatementTrap<ConversionStep>& trap) {
    if (trap.test(Step::RefuseWithoutFiles, [&] { return window_.inputList().count() == 0; })) {
        trap.run(Step::ShowNoFiles, [&] { showMessage(kNoFiles); });
        return true;
    }
    if (trap.test(Step::RefuseWithoutFolder, [&] {
            return !IsFolder(window_.outputFolder()) && !window_.saveBesideOriginal();
        })) {
        trap.run(Step::ShowMissingFolder, [&] { showMessage(kNoFolder); });
        return true;
    }
    return false;
}

ConversionRun::Outcome ConversionRun::convertAll(Pass& pass) {
    StatementTrap<ConversionStep>& trap = pass.trap;
    trap.run(Step::ShowBusyPointer, [&] { window_.setBusy(true); });
    trap.run(Step::ClearResults, [&] { pass.results.clear(); });
    trap.run(Step::ReadOpeningDelimiter, [&] { pass.opening = Utf8(window_.delimiter()); });
    trap.run(Step::ChooseClosingDelimiter,
             [&] { pass.closing = ClosingDelimiterFor(pass.opening); });
    trap.run(Step::ShowBusyPointerAgain, [&] { window_.setBusy(true); });
    int files = 0;
    trap.run(Step::CountFiles, [&] { files = window_.inputList().count(); });
    for (int index = 1; index <= files; ++index) {
        if (convertFile(pass, index) == Outcome::WindowClosing)
            return Outcome::WindowClosing;
    }
    trap.run(Step::ShowNormalPointer, [&] { window_.setBusy(false); });
    trap.run(Step::ResetPercent, [&] { pass.bar.setValue(0); });
    trap.run(Step::ShowIdleCaption, [&] { pass.bar.setCaption(kIdleCaption); });
    trap.run(Step::ShowDone, [&] { showMessage(kDone); });
    return Outcome::Carried;
}

ConversionRun::Outcome ConversionRun::convertFile(Pass& pass, int index) {
    StatementTrap<ConversionStep>& trap = pass.trap;
    trap.run(Step::TakeFilePath, [&] { pass.path = window_.inputList().pathAt(index - 1); });
    trap.run(Step::ShowFilePercent,
             [&] { pass.bar.setValue(PercentOf(index, window_.inputList().count())); });
    trap.run(Step::ShowFileCaption,
             [&] { pass.bar.setCaption(kFileCaption + ReadableName(FileNameOfPath(pass.path))); });
    if (!yield())
        return Outcome::WindowClosing;
    // The path keeps a name's bytes that are no UTF-8; the name written into statements
    // and shown is text, with U+FFFD for each.
    trap.run(Step::TakeBaseName, [&] {
        pass.baseName = ReadableUtf8(PathWithoutExtension(FileNameOfPath(pass.path)));
    });
    trap.run(Step::TakeFileName, [&] { pass.fileName = ReadableName(FileNameOfPath(pass.path)); });
    openTable(pass);
    Outcome outcome = Outcome::Carried;
    if (!trap.test(Step::SkipUnopenedTable, [&] { return !pass.table; })) {
        appendCreateTable(pass);
        outcome = convertRecords(pass);
        if (outcome == Outcome::WindowClosing)
            return outcome;
        reportWarnings(pass);
    }
    // The reader and its files are let go before the next table is opened.
    trap.run(Step::ReleaseTable, [&] { pass.table.reset(); });
    return outcome;
}

void ConversionRun::openTable(Pass& pass) {
    pass.table.reset();
    pass.nameRead = false;
    pass.warningStatements.clear();
    pass.trap.run(Step::OpenTable, [&] {
        pass.table =
            std::make_unique<TableConversion>(opener_(NativePath(pass.path)), pass.baseName);
    });
    noteWarnings(pass, Step::OpenTable);
}

// Remembers where each new warning turned up: the table lists them as it reads.
void ConversionRun::noteWarnings(Pass& pass, ConversionStep step) {
    if (!pass.table)
        return;
    const std::size_t count = pass.table->warnings().size();
    if (count > pass.warningStatements.size())
        pass.warningStatements.resize(count, NumberOf(step));
}

// A table that lost values is reported once, after its rows, as any failure of the run
// is: one box names every loss, the run's location and the statement where the first
// loss was found.
void ConversionRun::reportWarnings(Pass& pass) {
    const auto warnings = pass.table->warnings();
    if (warnings.empty() || pass.warningStatements.empty())
        return;
    // The back-quote form writes a NUL inside a text as MySQL's escape: nothing is lost.
    const bool carriesNul = LiteralRulesFor(pass.opening) == LiteralRules::MySql;
    QStringList losses;
    for (const auto& warning : warnings)
        if (!carriesNul || warning.code != TableErrorCode::NulInText)
            losses << QString::fromStdString(warning.message());
    if (losses.isEmpty())
        return;
    ReportApplicationError(window_.prompts(), pass.trap.location(), pass.warningStatements.front(),
                           losses.join(QLatin1Char('\n')));
}

void ConversionRun::appendCreateTable(Pass& pass) {
    StatementTrap<ConversionStep>& trap = pass.trap;
    std::string tableName;
    trap.run(Step::ReadTableNameForCreate, [&] { tableName = Utf8(window_.tableName()); });
    if (!trap.test(Step::CheckCreateTableMode, [&] { return window_.createTable(); }))
        return;
    trap.run(Step::CountFields, [&] { pass.statement.clear(); });
    trap.run(Step::AppendCreateTable, [&] {
        pass.table->appendCreateTable(
            pass.statement, {tableName, pass.opening, pass.closing, window_.includeSemicolon()});
        pass.results.append(pass.statement);
    });
}

// The records in the table's order, one INSERT each. A record that cannot be read ends
// the table: the failure is reported once and the run goes on with the next table.
ConversionRun::Outcome ConversionRun::convertRecords(Pass& pass) {
    StatementTrap<ConversionStep>& trap = pass.trap;
    bool atEnd = true;
    const bool read = trap.run(Step::SkipEmptyTable, [&] { atEnd = !pass.table->next(); });
    noteWarnings(pass, Step::SkipEmptyTable);
    if (!read || atEnd)
        return Outcome::Carried;
    trap.run(Step::StartRowCounter, [&] { pass.row = 1; });
    trap.run(Step::ClearStatement, [&] { pass.statement.clear(); });
    while (!atEnd) {
        trap.run(Step::ShowRowCaption, [&] { pass.bar.setRowCaption(pass.row, pass.fileName); });
        if (pass.row % 1000 == 0 && !yield())
            return Outcome::WindowClosing;
        if (!appendInsert(pass))
            break;
        const bool read = trap.run(Step::MoveToNextRecord, [&] { atEnd = !pass.table->next(); });
        noteWarnings(pass, Step::MoveToNextRecord);
        if (!read)
            break;
        trap.run(Step::CountRow, [&] { ++pass.row; });
    }
    return Outcome::Carried;
}

// False when the statement could not be made for want of memory: the table ends there,
// as it does when a record cannot be read.
bool ConversionRun::appendInsert(Pass& pass) {
    StatementTrap<ConversionStep>& trap = pass.trap;
    trap.run(Step::StartInsert, [&] {
        const QString option = window_.tableName();
        if (!pass.nameRead || option != pass.nameOption) {
            pass.tableName = Utf8(option);
            pass.nameOption = option;
            pass.nameRead = true;
        }
        pass.statement.clear();
    });
    bool outOfMemory = false;
    trap.run(Step::AppendInsert, [&] {
        try {
            pass.table->appendInsert(
                pass.statement,
                {pass.tableName, pass.opening, pass.closing, window_.includeSemicolon()}, format_);
            pass.results.append(pass.statement);
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
            throw pass.table->outOfMemoryError();
        } catch (const TableError&) {
            outOfMemory = true;
            throw;
        }
    });
    return !outOfMemory;
}

void ConversionRun::showMessage(const QString& text) {
    window_.prompts().messageBox(window_.applicationTitle(), text, BoxIcon::None, BoxButtons::Ok);
}

// False when the window is closing or gone; the run must then return without touching it.
bool ConversionRun::yield() {
    if (observer_)
        observer_();
    return window_.Yield();
}

} // namespace tabrivel
