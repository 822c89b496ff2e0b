#pragma once

#include "CellValue.h"
#include "ProgressLine.h"
#include "TableTarget.h"
#include "TableVerify.h"
#include "engine/Conversion.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tabrivel {

// A value that its typed column cannot hold: the record (counted from 1), the column
// and the value's text.
using MismatchReport =
    std::function<void(std::uint64_t record, const PlannedColumn& column, std::string_view text)>;

struct TableLoadContext {
    const ConversionOptions& options;
    const LoadOptions& load;
    const CellMaker& cells;
    TableTarget& target;
    ProgressLine* progress; // nullptr: no progress shown
    MismatchReport mismatch;
    // Something the user should know that loses nothing, such as a name cut to fit.
    std::function<void(const std::string& text)> notice = {};
    // Given: each table loaded into a database is read back, compared with the table, and
    // the outcome handed here.
    std::function<void(const Verification& outcome)> verified = {};
};

// Reads one table into the target and returns what the table lost on the way. A
// TableError escapes after the records read before it were handed over and the table
// was ended.
std::vector<TableWarning> LoadTable(const std::filesystem::path& path, std::string_view baseName,
                                    const TableLoadContext& context);

// Where one part of a table converted in parts stands in the table.
struct TablePart {
    bool first = true;            // it begins the table (CREATE TABLE and what goes before)
    bool last = true;             // it ends the table (COMMIT and what goes after)
    std::uint64_t rowsBefore = 0; // the records the parts before it delivered
    ProgressLine::Clock::time_point started{}; // when the first part began
};

// LoadTable for the records `table` delivers (the table at `path` opened for a range of
// its records), as the part `part` of the table: the target holds what one thread writes
// for those records there. The table is ended at its last part, or where a TableError
// escapes; the warnings returned are those of the range.
std::vector<TableWarning> LoadTablePart(std::unique_ptr<TableSource> table,
                                        const std::filesystem::path& path,
                                        std::string_view baseName, const TableLoadContext& context,
                                        const TablePart& part);

} // namespace tabrivel
