#pragma once

#include <cstdint>
#include <string>

namespace tabrivel {

// The database a script is written for. Window is the window's own text.
enum class Dialect : std::uint8_t { Window, Sqlite, PostgreSql, MySql, SqlServer };

// What a load does when the database has the table already.
enum class ExistingTable : std::uint8_t {
    Fail,    // CREATE TABLE fails, and nothing is added to the table
    Replace, // dropped and created again, in the table's transaction
    Append,  // the rows go into it; no CREATE TABLE
};

// How the companion shapes what it writes beyond the window's four options. The
// defaults give the window's text byte for byte.
struct LoadOptions {
    Dialect dialect = Dialect::Window;
    bool delimiterGiven = false; // --delimiter overrides the dialect's identifier quote
    bool transaction = false;    // BEGIN ... COMMIT around each table
    int batch = 1;               // rows per INSERT
    bool nulls = false;          // NULL for a null value instead of ''
    bool names = false;          // the table's field names and base name
    bool types = false;          // typed columns, values in the forms those types take
    bool trim = false;           // trailing blanks of character values removed
    bool iso = false;            // numbers and dates in the C locale's forms
    bool copy = false;           // PostgreSQL's COPY ... FROM stdin
    // Values by the rules MySQL reads back exactly, with no dialect to say so: the
    // back-quote delimiter of the window's options asks for them as it does in the window.
    bool backQuoteValues = false;
    ExistingTable existing = ExistingTable::Fail;
    // The script tells its database's shell to stop at the first error, so that a table
    // that exists already is not filled a second time.
    bool stopOnError = false;
    bool rows = true;            // false: only the CREATE TABLE statements
    bool foldCase = false;       // names in the case the database folds unquoted ones to
    bool tableNameGiven = false; // --table-name with --names: a prefix of the base name
    std::string table;           // the one table's own name, when given
    std::string schema;          // qualifies every table; empty: none

    // Numbers and dates in the C locale's forms, whatever the user's locale.
    bool localeFree() const { return iso || types; }

    // Nothing asked beyond the window's four options (and the form of numbers and dates):
    // the script is the window's own text.
    bool windowForm() const {
        return dialect == Dialect::Window && !transaction && batch == 1 && !nulls && !names &&
               !types && !trim && !copy && existing == ExistingTable::Fail && rows &&
               table.empty() && schema.empty();
    }
};

} // namespace tabrivel
