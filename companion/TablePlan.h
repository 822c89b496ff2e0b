#pragma once

#include "LoadOptions.h"
#include "engine/Conversion.h"
#include "engine/TableSource.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tabrivel {

struct PlannedColumn {
    std::string name;       // as written in the statements, quoted
    std::string plainName;  // unquoted, for messages
    std::string type;       // the CREATE TABLE column type
    FieldDescription field; // what the column holds
};

// The names and types one table's statements use.
struct TablePlan {
    std::string name;      // as written in the statements, quoted (and qualified)
    std::string plainName; // unquoted, for looking the table up
    std::vector<PlannedColumn> columns;
    // Names cut to what the database takes, each as a message for the user.
    std::vector<std::string> shortenedNames;
    std::string schema; // quoted; empty: none
};

TablePlan PlanTable(std::string_view baseName, std::span<const FieldDescription> fields,
                    const ConversionOptions& options, const LoadOptions& load);

// The CREATE TABLE statement of a plan (without its terminator).
std::string CreateTableText(const TablePlan& plan);

} // namespace tabrivel
