#pragma once

#include "TableLoad.h"
#include "engine/TableSource.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tabrivel {

// One unit of the job pool's work: a table whole, or one part of a large table.
struct TableUnit {
    std::size_t table = 0;
    std::size_t part = 0;
    std::size_t parts = 1;

    bool last() const { return part + 1 == parts; }
};

// The units of a run, in the order of the tables: with `cutLarge`, a table whose file is
// large enough that its parts gain more than they cost is cut into parts of about the same
// number of records each.
std::vector<TableUnit> PlanUnits(std::span<const std::string> tables, bool cutLarge);

// The records of part `part` of `parts` of a table of `records` records, as [first, end).
std::pair<std::uint64_t, std::uint64_t> PartRecords(std::uint64_t records, std::size_t part,
                                                    std::size_t parts);

// What the parts of one table share while workers convert them at once: the table opened
// once (so every part reads it with the choices that opening made, its code page), how many
// records each part delivers, and what each part lost. Each part is one thread's; a part
// waits only for parts before it, which were taken up before it and never wait for it.
class TableInParts {
public:
    TableInParts(std::filesystem::path path, std::size_t parts);

    // By the first part: opens the table for every part. A TableError escapes.
    void open(const TableOpenOptions& options);

    // The part's records, read as the table the first part opened; nullptr when a part
    // before this one failed.
    std::unique_ptr<TableSource> openPart(std::size_t part);

    // Where the part stands once its records are counted and every part before it has
    // counted its own; nullopt when a part before this one failed.
    std::optional<TablePart> place(std::size_t part, TableSource& records);

    // A part that converted without failing hands in what it lost. The last part gets what
    // every part lost, merged as one thread reading the whole table notes it; the others get
    // nothing. nullopt when a part before the last failed.
    std::optional<std::vector<TableWarning>> finish(std::size_t part,
                                                    std::vector<TableWarning> warnings);

    // The table failed (or was refused) in `part`: the parts after it go no further.
    void fail(std::size_t part);

private:
    std::vector<TableWarning> merged() const;
    bool failedBefore(std::size_t part) const { return failedAt_ < part; }

    const std::filesystem::path path_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::unique_ptr<TableSource> table_; // the first part's opening, until every part opened
    std::size_t opened_ = 0;
    std::uint64_t records_ = 0;
    std::vector<TableWarning> opening_; // what the opening itself noted
    ProgressLine::Clock::time_point started_{};
    std::vector<std::optional<std::uint64_t>> rows_;
    std::vector<std::optional<std::vector<TableWarning>>> warnings_;
    std::size_t failedAt_ = SIZE_MAX; // the first part that failed
};

} // namespace tabrivel
