#pragma once

#include "engine/TableSource.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tabrivel::testing {

// A value copied out of the reader's buffers, so it outlives the record.
struct OwnedValue {
    ValueType type = ValueType::Null;
    std::string text;

    bool operator==(const OwnedValue&) const = default;
};

using OwnedRecord = std::vector<OwnedValue>;

// Reads every record of a table; TableError propagates.
std::vector<OwnedRecord> ReadAllRecords(const std::filesystem::path& table,
                                        const TableOpenOptions& options = {});

// Reads records until the end or the first TableError, which lands in `error` (empty
// when the table read to its end). The records read before the error are returned.
std::vector<OwnedRecord> ReadUntilError(const std::filesystem::path& table, std::string& error);

// Everything one reading of a table gives: the records delivered, the warnings, and
// the message of the TableError that stopped it (empty when it read to its end).
struct TableReading {
    std::vector<OwnedRecord> records;
    std::vector<TableWarning> warnings;
    std::string error;
};

TableReading ReadTable(const std::filesystem::path& table, const TableOpenOptions& options = {});

const char* ValueTypeName(ValueType type);

} // namespace tabrivel::testing
