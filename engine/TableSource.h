#pragma once

#include "engine/TableWarning.h"
#include "engine/Value.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tabrivel {

struct TableOpenOptions {
    // A code page name that replaces the table's own (its language-driver byte or
    // .cpg file); empty keeps the table's own.
    std::string encoding;
    // Records marked as deleted are delivered too, each with one more value after its
    // fields: the logical kDeletedField, true for a deleted record.
    bool deleted = false;
    // A Visual FoxPro table that belongs to a database container takes its fields' long
    // names from the container beside it; one missing or unreadable leaves the stored names,
    // with a ContainerNames warning.
    bool containerNames = false;
};

// The name of the field that says whether a record is marked as deleted. A stored field
// name starts with a letter, so the leading underscore keeps the two apart.
inline constexpr std::string_view kDeletedField = "_deleted";

// What a field holds, as its table's format defines it, for giving columns a type.
enum class FieldKind : std::uint8_t {
    Character, // text of at most `length` characters
    Memo,      // text of any length
    Numeric,   // a decimal of `length` characters with `decimals` after the point
    Integer,   // a binary integer of `length` bytes
    Double,    // a binary floating-point number
    Currency,  // a binary integer scaled by 10,000
    Date,
    DateTime,
    Logical,
    Binary, // bytes, inline or in the memo file
};

// The type of the values a column of the kind holds. A value of another type is one
// the reader could not read as its field's type (a date that is no date, a number that
// is none): it is delivered as it was stored, as text or bytes.
constexpr ValueType ColumnValueType(FieldKind kind) {
    switch (kind) {
    case FieldKind::Character:
    case FieldKind::Memo:
        return ValueType::Text;
    case FieldKind::Numeric:
    case FieldKind::Integer:
    case FieldKind::Double:
    case FieldKind::Currency:
        return ValueType::Number;
    case FieldKind::Date:
        return ValueType::Date;
    case FieldKind::DateTime:
        return ValueType::DateTime;
    case FieldKind::Logical:
        return ValueType::Logical;
    case FieldKind::Binary:
        break;
    }
    return ValueType::Binary;
}

struct FieldDescription {
    std::string name; // UTF-8, as the table stores it
    FieldKind kind = FieldKind::Character;
    int length = 0;
    int decimals = 0;
};

// Reads one DBF table: its field count, then its records in the table's order,
// each as fieldCount() decoded values in field order. Deleted records are skipped unless
// the options ask for them.
// A failure that stops the table is a TableError naming the file and what is wrong;
// damage the reader can read past (a memo lost, records cut off at the end) is
// delivered as far as it goes and listed in warnings().
class TableSource {
public:
    virtual ~TableSource() = default;

    virtual int fieldCount() const = 0;

    // One description per field, in field order (the hidden _NullFlags is no field).
    virtual std::span<const FieldDescription> fields() const = 0;

    // The number of records the table says it holds, deleted ones included.
    virtual std::uint64_t recordCount() const = 0;

    // Moves to the next record; false after the last one. The values of the
    // previous record are invalid afterwards.
    virtual bool next() = 0;

    // The current record's values; fieldCount() of them.
    virtual std::span<const Value> values() const = 0;

    // The current record's place in the file, counted from 1 with deleted records.
    virtual std::uint64_t recordNumber() const = 0;

    // The table's file name, for messages.
    virtual std::string name() const = 0;

    // What was lost so far; complete once next() has returned false.
    virtual std::span<const TableWarning> warnings() const = 0;

    // The deleted records passed over so far (none when they are delivered).
    virtual std::uint64_t deletedLeftOut() const { return 0; }

    // The database container a Visual FoxPro table names in its header, as stored (a
    // path relative to the table); empty for a table that belongs to none.
    virtual std::string containerLink() const { return {}; }

    // The same table opened again for its records first .. end - 1 only (counted from 0,
    // deleted ones included), read with the choices this opening made (its code page), so
    // that the ranges of a table deliver together what it delivers whole: records numbered
    // as in the whole, what the opening notes, records cut off at the end noted by the range
    // that reaches the end. nullptr for a source that cannot be read by ranges. Safe to call
    // from several threads at once.
    virtual std::unique_ptr<TableSource> openRange(std::uint64_t /*first*/,
                                                   std::uint64_t /*end*/) const {
        return nullptr;
    }

    // How many records next() will deliver in all, read from their deletion marks alone;
    // asked of a range before its first next().
    virtual std::uint64_t recordsToDeliver() {
        throw std::logic_error("only a table opened by ranges counts its records ahead");
    }
};

// Why tables cannot be read in the code page that TableOpenOptions::encoding would name
// so ("cp866", "1251", ...), worded to follow the name; empty when they can.
std::string EncodingProblem(const std::string& encoding);

std::unique_ptr<TableSource> OpenTable(const std::filesystem::path& path,
                                       const TableOpenOptions& options = {});

} // namespace tabrivel
