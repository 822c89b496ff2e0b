#pragma once

#include "engine/TableError.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tabrivel {

// A loss in a table that was still delivered: values read as null, records missing at
// the end, text decoded by a guess. The code tells the kinds of damage apart as the
// codes of TableError do.
struct TableWarning {
    TableErrorCode code = TableErrorCode::ReadFailed;
    std::string file;  // the damaged file: the table or its memo file
    std::string cause; // what is wrong, naming the file
    std::string lost;  // what the count counts ("records lost", "memo values cut short")
    std::uint64_t count = 0;
    std::uint64_t firstRecord = 0; // 1-based record number of the first loss; 0 for none

    // One line for the user: the cause, then how much was lost and where it began.
    std::string message() const;
};

// The warnings of one table, one entry per kind of damage in one file: a second loss of
// the same kind only counts up, so a table with a thousand lost memos reports once.
class TableWarnings {
public:
    // Gives the warning's place, for counting further losses of the kind with countAt.
    std::size_t note(TableErrorCode code, const std::string& file, const std::string& cause,
                     const std::string& lost, std::uint64_t count, std::uint64_t record);
    void countAt(std::size_t place, std::uint64_t count) { warnings_[place].count += count; }

    std::span<const TableWarning> all() const { return warnings_; }
    bool empty() const { return warnings_.empty(); }

private:
    std::vector<TableWarning> warnings_;
};

} // namespace tabrivel
