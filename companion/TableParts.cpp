#include "TableParts.h"

#include <algorithm>
#include <system_error>

namespace tabrivel {
namespace {

// About this much of a table's records is one part: small enough that the parts held ahead
// of their turn fit the job pool's bound on memory with room for the next (a part of the
// Visual FoxPro bench table writes three times its size) and that the workers end the
// table together, large enough that opening the table again for each costs nothing next to
// converting it. With two workers, 2 MB parts took 0.22 s for the 1M-record dBase III
// table, 4 MB 0.23 s, 8 MB 0.30 s; one worker 0.38 s.
constexpr std::uintmax_t kPartBytes = 2 << 20;
// A table smaller than this is converted whole: its parts would gain a few milliseconds,
// and each part's opening of the table and its memo file costs what converting a few
// hundred records does.
constexpr std::uintmax_t kLargeTable = 8 << 20;

std::size_t PartsOf(const std::string& table) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(table, error);
    if (error || size < kLargeTable)
        return 1;
    return static_cast<std::size_t>(size / kPartBytes);
}

} // namespace

std::vector<TableUnit> PlanUnits(std::span<const std::string> tables, bool cutLarge) {
    std::vector<TableUnit> units;
    units.reserve(tables.size());
    for (std::size_t table = 0; table < tables.size(); ++table) {
        const std::size_t parts = cutLarge ? PartsOf(tables[table]) : 1;
        for (std::size_t part = 0; part < parts; ++part)
            units.push_back({table, part, parts});
    }
    return units;
}

std::pair<std::uint64_t, std::uint64_t> PartRecords(std::uint64_t records, std::size_t part,
                                                    std::size_t parts) {
    return {records * part / parts, records * (part + 1) / parts};
}

TableInParts::TableInParts(std::filesystem::path path, std::size_t parts)
    : path_(std::move(path)), rows_(parts), warnings_(parts) {}

void TableInParts::open(const TableOpenOptions& options) {
    const auto started = ProgressLine::Clock::now();
    std::unique_ptr<TableSource> table = OpenTable(path_, options);
    const auto noted = table->warnings();
    const std::lock_guard lock(mutex_);
    records_ = table->recordCount();
    opening_.assign(noted.begin(), noted.end());
    started_ = started;
    table_ = std::move(table);
    changed_.notify_all();
}

std::unique_ptr<TableSource> TableInParts::openPart(std::size_t part) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return failedBefore(part) || table_; });
    if (failedBefore(part))
        return nullptr;
    const auto [first, end] = PartRecords(records_, part, rows_.size());
    std::unique_ptr<TableSource> records = table_->openRange(first, end);
    if (!records)
        throw std::logic_error("a table cut into parts cannot be read by ranges");
    // The table stays mapped only while some part has yet to open it.
    if (++opened_ == rows_.size())
        table_.reset();
    return records;
}

std::optional<TablePart> TableInParts::place(std::size_t part, TableSource& records) {
    const std::uint64_t rows = records.recordsToDeliver();
    std::unique_lock lock(mutex_);
    rows_[part] = rows;
    changed_.notify_all();
    const auto before = rows_.begin() + static_cast<std::ptrdiff_t>(part);
    changed_.wait(lock, [&] {
        return failedBefore(part) ||
               std::all_of(rows_.begin(), before, [](const auto& n) { return n.has_value(); });
    });
    if (failedBefore(part))
        return std::nullopt;
    std::uint64_t rowsBefore = 0;
    for (auto counted = rows_.begin(); counted != before; ++counted)
        rowsBefore += **counted;
    return TablePart{part == 0, part + 1 == rows_.size(), rowsBefore, started_};
}

std::optional<std::vector<TableWarning>> TableInParts::finish(std::size_t part,
                                                              std::vector<TableWarning> warnings) {
    std::unique_lock lock(mutex_);
    warnings_[part] = std::move(warnings);
    changed_.notify_all();
    if (part + 1 < warnings_.size())
        return std::vector<TableWarning>{};
    changed_.wait(lock, [&] {
        return failedBefore(part) ||
               std::all_of(warnings_.begin(), warnings_.end(),
                           [](const auto& noted) { return noted.has_value(); });
    });
    if (failedBefore(part))
        return std::nullopt;
    return merged();
}

// The parts before the failed one go on: the output holds them, as one thread would have
// written their records before it stopped.
void TableInParts::fail(std::size_t part) {
    const std::lock_guard lock(mutex_);
    failedAt_ = std::min(failedAt_, part);
    changed_.notify_all();
}

// A loss of a kind already noted only counts up, keeping its first cause and record, as
// one reader noting the parts' records one after another would.
std::vector<TableWarning> TableInParts::merged() const {
    TableWarnings all;
    auto note = [&all](const TableWarning& warning) {
        all.note(warning.code, warning.file, warning.cause, warning.lost, warning.count,
                 warning.firstRecord);
    };
    std::for_each(opening_.begin(), opening_.end(), note);
    for (const auto& part : warnings_)
        std::for_each(part->begin(), part->end(), note);
    const auto noted = all.all();
    return {noted.begin(), noted.end()};
}

} // namespace tabrivel
