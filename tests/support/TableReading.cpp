#include "TableReading.h"

#include "engine/TableError.h"
#include "engine/ValuePieces.h"

namespace tabrivel::testing {
namespace {

void ReadInto(TableSource& source, std::vector<OwnedRecord>& records) {
    while (source.next()) {
        OwnedRecord record;
        for (const auto& value : source.values()) {
            std::string text(value.text);
            if (value.pieces)
                value.pieces->forEach([&text](std::string_view piece) { text += piece; });
            record.push_back({value.type, std::move(text)});
        }
        records.push_back(std::move(record));
    }
}

} // namespace

std::vector<OwnedRecord> ReadAllRecords(const std::filesystem::path& table,
                                        const TableOpenOptions& options) {
    std::vector<OwnedRecord> records;
    auto source = OpenTable(table, options);
    ReadInto(*source, records);
    return records;
}

std::vector<OwnedRecord> ReadUntilError(const std::filesystem::path& table, std::string& error) {
    std::vector<OwnedRecord> records;
    error.clear();
    try {
        auto source = OpenTable(table);
        ReadInto(*source, records);
    } catch (const TableError& failure) {
        error = failure.what();
    }
    return records;
}

TableReading ReadTable(const std::filesystem::path& table, const TableOpenOptions& options) {
    TableReading reading;
    std::unique_ptr<TableSource> source;
    try {
        source = OpenTable(table, options);
        ReadInto(*source, reading.records);
    } catch (const TableError& failure) {
        reading.error = failure.what();
    }
    if (source)
        reading.warnings.assign(source->warnings().begin(), source->warnings().end());
    return reading;
}

const char* ValueTypeName(ValueType type) {
    switch (type) {
    case ValueType::Null:
        return "Null";
    case ValueType::Text:
        return "Text";
    case ValueType::Number:
        return "Number";
    case ValueType::Date:
        return "Date";
    case ValueType::DateTime:
        return "DateTime";
    case ValueType::Logical:
        return "Logical";
    case ValueType::Binary:
        return "Binary";
    }
    return "?";
}

} // namespace tabrivel::testing
