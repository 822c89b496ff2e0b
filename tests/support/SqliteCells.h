#pragma once

#include "TableReading.h"

#include <sqlite3.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tabrivel::testing {

using Cells = std::vector<std::vector<std::string>>;

// An in-memory SQLite database, or a file when a path is given.
class SqliteDatabase {
public:
    explicit SqliteDatabase(const std::string& path = ":memory:");
    sqlite3* get() const { return handle_.get(); }

    // Runs exactly one statement: the whole text must be that one statement, so a value
    // can never end it early and start another. The error text, empty on success.
    std::string runOne(std::string_view sql) const;

    // Runs a script of many statements; the error text, empty on success.
    std::string runScript(const std::string& sql) const;

    // Every row of the table in insertion order, each cell as its text; a NULL or a
    // number stored where text belongs shows as a marker, so it cannot pass for text.
    Cells textCells(const std::string& quotedTable) const;

    // Every row with each cell in its stored type's text form: integers in decimal, reals
    // to 17 digits, blobs in hexadecimal; nullopt for NULL.
    std::vector<std::vector<std::optional<std::string>>>
    typedRows(const std::string& quotedTable) const;

private:
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> handle_;
};

// What a script must carry for each value of the records: text without its NUL
// characters, every other kind as the locale-independent value format writes it.
Cells ExpectedTextCells(const std::vector<OwnedRecord>& records);

// The first difference between two tables of cells, empty when they are equal.
std::string FirstDifference(const Cells& stored, const Cells& expected);

} // namespace tabrivel::testing
