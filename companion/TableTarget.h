#pragma once

#include "CellValue.h"
#include "LoadOptions.h"
#include "TablePlan.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace tabrivel {

class ScriptSink;

// A table could not be written into the target (it exists already, the database
// refused it); the run goes on with the next table.
class TargetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Whether a load may go on with a table that does or does not exist yet; throws the
// TargetError that says why not.
inline void CheckExistingTable(const TablePlan& plan, bool exists, ExistingTable existing) {
    if (exists && existing == ExistingTable::Fail)
        throw TargetError("the database already has a table " + plan.plainName +
                          " (--replace replaces it, --append adds to it)");
    if (!exists && existing == ExistingTable::Append)
        throw TargetError("the database has no table " + plan.plainName + " to append to");
}

// The rows of a loaded table as its database gives them back, in the order they were
// loaded: each cell as text (bytes as \x and lower-case hexadecimal), nullopt for NULL.
class StoredRows {
public:
    virtual ~StoredRows() = default;
    // The next row; false after the last. Throws TargetError when the database fails.
    virtual bool next(std::vector<std::optional<std::string>>& row) = 0;
};

// Takes the converted tables one after another: a script's statements, or a database.
class TableTarget {
public:
    virtual ~TableTarget() = default;

    // Begins a table in the window's own form: its statements are made by the conversion
    // the window runs and appended whole to the sink returned. nullptr for a target that
    // takes the table cell by cell, through beginTable.
    virtual ScriptSink* beginWindowTable() { return nullptr; }
    virtual void beginTable(const TablePlan& plan) = 0;
    // Takes up a table an earlier part of the output began, `rowsBefore` rows into it: only
    // a target whose output is put together in order from parts made apart can.
    virtual void continueTable(const TablePlan& /*plan*/, std::uint64_t /*rowsBefore*/) {
        throw std::logic_error("this target takes each table whole");
    }
    // One record's cells, one per column; never Mismatch.
    virtual void addRow(std::span<const Cell> cells) = 0;
    // Ends the table; also after a table that failed part way, so that its complete
    // records are delivered as they are everywhere else.
    virtual void endTable() = 0;
    // Everything is written: a file takes its place.
    virtual void finish() = 0;
    // The rows of a table loaded and ended, read back; nullptr for a target that keeps
    // nothing to read (a script).
    virtual std::unique_ptr<StoredRows> storedRows(const TablePlan& /*plan*/) { return nullptr; }
};

} // namespace tabrivel
