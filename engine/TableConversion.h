#pragma once

#include "TableSource.h"
#include "ValueText.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace tabrivel {

// The window's options as they read at the moment one statement is made; `closing` is
// ClosingDelimiterFor(opening), worked out once by the caller.
struct StatementForm {
    std::string_view tableName;
    std::string_view opening;
    std::string_view closing;
    bool semicolon = true;
};

// One table turned into statements one at a time, so that a caller can stop between
// any two of them: to yield to a window, to read its options afresh, to write out what
// it has. Every caller of the conversion drives this one object, so the window and the
// companion cannot write different text for the same table.
class TableConversion {
public:
    // Opens the table; a TableError escapes.
    TableConversion(const std::filesystem::path& path, std::string baseName,
                    const TableOpenOptions& options);
    TableConversion(std::unique_ptr<TableSource> table, std::string baseName);
    ~TableConversion();

    // Called after each piece of a value that arrives in pieces, once the piece is in the
    // caller's buffer, so that the caller can write the buffer out and a long memo is never
    // held whole. Without it, the statement is sized once to hold the value whole.
    void setPieceWritten(std::function<void()> pieceWritten);

    int fieldCount() const;

    void appendCreateTable(std::string& out, const StatementForm& form) const;

    // Moves to the next record; false after the last one. A TableError escapes.
    bool next();

    // The current record's values, as the table source delivers them.
    std::span<const Value> values() const;

    // The current record's INSERT statement. Memory that runs out on the way is an
    // OutOfMemoryError naming the record: the table ends there, and `out` is left as it
    // was unless pieces of the statement had already been handed over.
    void appendInsert(std::string& out, const StatementForm& form, const ValueFormat& format);

    // next() and appendInsert() together; false at the end, with nothing appended.
    bool appendNextInsert(std::string& out, const StatementForm& form, const ValueFormat& format);

    // Memory ran out for the current record: the error that ends the table there.
    TableError outOfMemoryError() const;

    // What the table lost so far; complete once next() has returned false.
    std::span<const TableWarning> warnings() const;

private:
    const std::string& qualifiedName(const StatementForm& form);

    std::unique_ptr<TableSource> table_;
    std::string baseName_;
    std::function<void()> pieceWritten_;
    bool pieceHandedOver_ = false; // during the statement in hand
    // The options the qualified name was last built from, so that unchanged options cost
    // two comparisons per statement and no allocation.
    bool nameBuilt_ = false;
    std::string nameTable_;
    std::string nameOpening_;
    std::string nameClosing_;
    std::string qualifiedName_;
};

} // namespace tabrivel
