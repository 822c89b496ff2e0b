#pragma once

#include "CellValue.h"
#include "ProgressLine.h"
#include "TableTarget.h"
#include "TableVerify.h"
#include "engine/Conversion.h"

#include <cstdint>
#include <filesystem>
#include <functional>
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

} // namespace tabrivel
