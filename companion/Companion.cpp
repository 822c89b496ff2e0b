#include "Companion.h"

#include "InputIdentity.h"
#include "OutputFile.h"
#include "PipedTable.h"
#include "PostgresTarget.h"
#include "ScriptTarget.h"
#include "SqliteTarget.h"
#include "TableJobs.h"
#include "TableLoad.h"
#include "TableParts.h"
#include "engine/SqlText.h"
#include "engine/TableError.h"
#include "fs/NativePath.h"
#include "fs/PathText.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <optional>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tabrivel {
namespace {

constexpr int kUsageError = 2;

// Names the database container could not give: the stored ones stand in, and every value
// still arrives.
bool LosesNoValue(const TableWarning& warning) {
    return warning.code == TableErrorCode::ContainerNames;
}

// A file's name as people read it: a byte that is no UTF-8 shows as U+FFFD.
std::string Readable(const std::string& bytes) {
    return ReadableUtf8(DecodeNativeName(bytes));
}

// A reason is cut at a NUL byte it may carry from a damaged table.
std::string ReportText(const std::string& file, const std::string& reason) {
    return "tabrivel-convert: " + Readable(file.c_str()) + ": " + Readable(reason.c_str()) + "\n";
}

void Report(std::FILE* errors, const std::string& file, const std::string& reason) {
    std::fputs(ReportText(file, reason).c_str(), errors);
}

void Report(const ReportWriter& errors, const std::string& file, const std::string& reason) {
    errors(ReportText(file, reason));
}

// The reader's messages begin with the name of the file they are about: the table or
// its memo file. The report names that file once, as the user would find it.
void ReportAbout(const ReportWriter& errors, const std::string& table, const std::string& file,
                 std::string reason, const std::string& kind = {}) {
    const std::string prefix = file + ": ";
    if (reason.starts_with(prefix))
        reason.erase(0, prefix.size());
    const std::filesystem::path path(table);
    const bool aboutTable = file.empty() || file == path.filename().string();
    Report(errors, aboutTable ? table : (path.parent_path() / file).string(),
           kind.empty() ? reason : kind + ": " + reason);
}

void ReportTableError(const ReportWriter& errors, const std::string& table,
                      const TableError& error) {
    ReportAbout(errors, table, error.file(), error.what());
}

void ReportWarning(const ReportWriter& errors, const std::string& table,
                   const TableWarning& warning, const std::string& kind) {
    ReportAbout(errors, table, warning.file, warning.message(), kind);
}

std::string VerifiedText(const Verification& outcome) {
    if (outcome.difference.empty())
        return "verified " + std::to_string(outcome.rows) + " rows";
    return "verification failed: " + outcome.difference;
}

bool ShowsProgress(ProgressMode mode, std::FILE* errors) {
    switch (mode) {
    case ProgressMode::Always:
        return true;
    case ProgressMode::Never:
        return false;
    case ProgressMode::WhenTerminal:
        break;
    }
#ifdef _WIN32
    return _isatty(_fileno(errors)) != 0;
#else
    return isatty(fileno(errors)) == 1;
#endif
}

class Run {
public:
    Run(const CompanionArguments& arguments, const ValueFormat& localeFormat, std::FILE* errors)
        : arguments_(arguments), cells_(arguments.load, localeFormat), errors_(errors),
          progress_(errors) {}

    // Every table into the target; true when every one converted.
    bool loadAll(TableTarget& target) {
        const ReportWriter errors = [this](const std::string& text) {
            std::fputs(text.c_str(), errors_);
        };
        ProgressLine* progress = showsProgress() ? &progress_ : nullptr;
        bool allConverted = true;
        for (const std::string& table : arguments_.tables)
            allConverted = loadOne(target, table, errors, progress) && allConverted;
        return allConverted;
    }

    // The script's units of work: with several workers, a large table is cut into parts
    // that they convert at once.
    std::vector<TableUnit> units(int jobs) const {
        return PlanUnits(arguments_.tables, jobs > 1 && arguments_.load.rows);
    }

    // Every unit into the script, each converted on one of several threads and written in
    // the order given.
    TableJobsOutcome loadAllAtOnce(ScriptSink& sink, const std::vector<TableUnit>& units,
                                   int workers) {
        std::vector<std::unique_ptr<TableInParts>> inParts(arguments_.tables.size());
        for (const TableUnit& unit : units)
            if (unit.parts > 1 && unit.part == 0)
                inParts[unit.table] =
                    std::make_unique<TableInParts>(arguments_.tables[unit.table], unit.parts);
        const TableJob job = [&](std::size_t index, TableTarget& target, const ReportWriter& errors,
                                 ProgressLine* progress) -> JobOutcome {
            const TableUnit& unit = units[index];
            if (unit.parts == 1)
                return loadOne(target, arguments_.tables[unit.table], errors, progress);
            return loadPart(target, unit, *inParts[unit.table], errors, progress);
        };
        return RunTableJobs(units.size(), workers, job, arguments_.options, arguments_.load,
                            {sink, errors_, showsProgress()});
    }

private:
    bool showsProgress() const { return ShowsProgress(arguments_.progress, errors_); }

    // Only reads what the run shares, so that several threads may convert at once.
    bool loadOne(TableTarget& target, const std::string& table, const ReportWriter& errors,
                 ProgressLine* progress) const {
        bool clean = true;
        const TableLoadContext context = contextFor(target, table, errors, progress, clean);
        if (refusedAsMemoFile(table, errors))
            return false;
        try {
            if (refusedAsLossy(table, errors))
                return false;
            return reportLosses(
                       table,
                       LoadTable(std::filesystem::path(table), TableBaseName(table), context),
                       errors) &&
                   clean;
        } catch (const TableError& error) {
            ReportTableError(errors, table, error);
        } catch (const TargetError& error) {
            Report(errors, table, error.what());
        }
        return false;
    }

    // One part of a large table: the first part refuses it under --strict, the last reports
    // what every part lost; a part that fails drops the parts after it, as one thread stops
    // reading the table there.
    JobOutcome loadPart(TableTarget& target, const TableUnit& unit, TableInParts& shared,
                        const ReportWriter& errors, ProgressLine* progress) const {
        const std::string& table = arguments_.tables[unit.table];
        const std::size_t after = unit.parts - 1 - unit.part;
        bool clean = true;
        const TableLoadContext context = contextFor(target, table, errors, progress, clean);
        try {
            if (unit.part == 0) {
                if (refusedAsMemoFile(table, errors) || refusedAsLossy(table, errors)) {
                    shared.fail(unit.part);
                    return {false, after};
                }
                shared.open(arguments_.options.open);
            }
            std::unique_ptr<TableSource> records = shared.openPart(unit.part);
            const std::optional<TablePart> place =
                records ? shared.place(unit.part, *records) : std::nullopt;
            if (!place)
                return true; // an earlier part failed: this one is dropped
            const auto lost =
                shared.finish(unit.part, LoadTablePart(std::move(records), table,
                                                       TableBaseName(table), context, *place));
            if (!lost)
                return true;
            return reportLosses(table, *lost, errors) && clean;
        } catch (const TableError& error) {
            ReportTableError(errors, table, error);
        } catch (const TargetError& error) {
            Report(errors, table, error.what());
        } catch (...) {
            shared.fail(unit.part);
            throw;
        }
        shared.fail(unit.part);
        return {false, after};
    }

    // What the table lost, reported; true when it lost nothing.
    bool reportLosses(const std::string& table, std::vector<TableWarning> warnings,
                      const ReportWriter& errors) const {
        const auto lost = WhatIsLost(std::move(warnings));
        for (const TableWarning& warning : lost)
            ReportWarning(errors, table, warning, "warning");
        return std::ranges::all_of(lost, LosesNoValue);
    }

    // How one table is loaded: its reports through `errors`, `clean` false once a value did
    // not fit its column or a loaded row differed.
    TableLoadContext contextFor(TableTarget& target, const std::string& table,
                                const ReportWriter& errors, ProgressLine* progress,
                                bool& clean) const {
        return TableLoadContext{
            arguments_.options,
            arguments_.load,
            cells_,
            target,
            progress,
            [&](std::uint64_t record, const PlannedColumn& column, std::string_view text) {
                clean = false;
                Report(errors, table,
                       "record " + std::to_string(record) + ", field " + column.plainName + ": \"" +
                           std::string(text) + "\" is no " + column.type +
                           " value; written as NULL");
            },
            [&](const std::string& text) { Report(errors, table, "warning: " + text); },
            arguments_.verify
                ? std::function<void(const Verification&)>([&](const Verification& outcome) {
                      clean = clean && outcome.difference.empty();
                      Report(errors, table, VerifiedText(outcome));
                  })
                : nullptr};
    }

    // A memo file given for its table is named as such, with the table it belongs to.
    bool refusedAsMemoFile(const std::string& table, const ReportWriter& errors) const {
        const auto meant = TableOfMemoFile(table);
        if (meant)
            Report(errors, table, "a memo file, not a table: give its table " + Readable(*meant));
        return meant.has_value();
    }

    // Under --strict a table that would lose anything is refused before any of its
    // statements is written: a first pass finds the losses, so memory stays bounded.
    bool refusedAsLossy(const std::string& table, const ReportWriter& errors) const {
        if (!arguments_.strict)
            return false;
        auto warnings =
            WhatIsLost(CheckTable(std::filesystem::path(table), arguments_.options.open));
        std::erase_if(warnings, LosesNoValue); // reported once, when the table is loaded
        for (const TableWarning& warning : warnings)
            ReportWarning(errors, table, warning, "refused");
        return !warnings.empty();
    }

    // MySQL's literals carry a NUL inside a text as an escape, and SQLite takes such a
    // text as its bytes: there it is no loss.
    std::vector<TableWarning> WhatIsLost(std::vector<TableWarning> warnings) const {
        const LoadOptions& load = arguments_.load;
        const bool carriesNul =
            !arguments_.sqliteFile.empty() ||
            (arguments_.postgresql.empty() &&
             (load.dialect == Dialect::MySql ||
              (load.dialect == Dialect::Window &&
               LiteralRulesFor(arguments_.options.delimiter) == LiteralRules::MySql)));
        if (carriesNul)
            std::erase_if(warnings, [](const TableWarning& warning) {
                return warning.code == TableErrorCode::NulInText;
            });
        return warnings;
    }

    const CompanionArguments& arguments_;
    CellMaker cells_;
    std::FILE* errors_;
    ProgressLine progress_;
};

// Straight into a database, one table after another; a database that cannot be reached
// is reported under its own name.
int LoadIntoDatabase(const CompanionArguments& arguments, Run& run, std::FILE* errors) {
    const bool sqlite = !arguments.sqliteFile.empty();
    try {
        std::unique_ptr<TableTarget> target;
        if (sqlite)
            target = std::make_unique<SqliteTarget>(arguments.sqliteFile, arguments.load,
                                                    arguments.busyTimeoutMs);
        else
            target = std::make_unique<PostgresTarget>(arguments.postgresql, arguments.load);
        const bool allLoaded = run.loadAll(*target);
        target->finish();
        return allLoaded ? 0 : 1;
    } catch (const TargetError& error) {
        Report(errors, sqlite ? arguments.sqliteFile : std::string("PostgreSQL"), error.what());
        return 1;
    }
}

// The script goes to standard output as it is made, or into a file that replaces an
// earlier one only when every statement is in it and some table gave statements (a
// table cut short gives its complete records, reported).
int WriteScript(const CompanionArguments& arguments, Run& run, std::FILE* out, std::FILE* errors) {
    const bool toFile = !arguments.toStandardOutput();
    const std::string& name = toFile ? arguments.outputFile : std::string("standard output");
    std::error_code error;
    const bool earlierFile = toFile && std::filesystem::exists(name, error);
    try {
        std::optional<OutputFile> file;
        if (toFile)
            file.emplace(name);
        std::unique_ptr<ScriptSink> sink = toFile ? std::make_unique<ScriptSink>(file->savedAs())
                                                  : std::make_unique<ScriptSink>(out);
        ScriptTarget target(*sink, arguments.options, arguments.load);
        target.beginScript();
        const std::vector<TableUnit> units = run.units(arguments.jobs);
        const int workers = WorkersFor(arguments.jobs, units.size());
        const TableJobsOutcome outcome = workers > 1 ? run.loadAllAtOnce(*sink, units, workers)
                                                     : TableJobsOutcome{run.loadAll(target), false};
        const bool allConverted = outcome.allConverted;
        if (toFile && !target.anyTableBegun() && !outcome.anyTableBegun) {
            Report(errors, name,
                   earlierFile ? "no table converted; the file is left as it was"
                               : "no table converted; no file written");
            return 1;
        }
        target.finish();
        if (file)
            file->settle();
        return allConverted ? 0 : 1;
    } catch (const WriteFailed& failure) {
        Report(errors, name,
               std::string(failure.what()) + (earlierFile ? "; the file is left as it was" : ""));
        return 1;
    }
}

} // namespace

std::string TableBaseName(const std::string& path) {
    return ReadableUtf8(PathWithoutExtension(FileNameOfPath(DecodeNativeName(path))));
}

int RunCompanion(const CompanionArguments& arguments, const ValueFormat& localeFormat,
                 std::FILE* out, std::FILE* errors) {
    const std::string& output =
        arguments.sqliteFile.empty() ? arguments.outputFile : arguments.sqliteFile;
    if (!output.empty() && output != "-") {
        if (const auto input = InputFileAt(output, arguments.tables)) {
            Report(errors, output, "is the input file " + *input + "; nothing was written");
            return kUsageError;
        }
    }
    Run run(arguments, localeFormat, errors);
    if (arguments.toDatabase())
        return LoadIntoDatabase(arguments, run, errors);
    return WriteScript(arguments, run, out, errors);
}

int CompanionMain(std::span<const std::string> arguments, std::FILE* out, std::FILE* errors) {
    const ParsedArguments parsed = ParseCompanionArguments(arguments);
    if (!parsed.error.empty()) {
        std::fprintf(errors, "tabrivel-convert: %s\nTry 'tabrivel-convert --help'.\n",
                     parsed.error.c_str());
        return kUsageError;
    }
    if (parsed.arguments.help) {
        std::fputs(CompanionUsage().c_str(), out);
        return 0;
    }
    if (parsed.arguments.version) {
        std::fputs("tabrivel-convert " TABRIVEL_VERSION "\n", out);
        return 0;
    }
    CompanionArguments run = parsed.arguments;
    std::optional<PipedTable> piped;
    if (const auto dash = std::ranges::find(run.tables, "-"); dash != run.tables.end()) {
        piped.emplace(stdin);
        if (!piped->error().empty()) {
            Report(errors, "standard input", piped->error());
            return 1;
        }
        *dash = piped->path();
    }
    return RunCompanion(run, ValueFormat::fromLocale(QLocale::system()), out, errors);
}

} // namespace tabrivel
