#pragma once

#include <cstdint>

namespace tabrivel {

// The database a script is written for. Window is the window's own text.
enum class Dialect : std::uint8_t { Window, Sqlite, PostgreSql, MySql, SqlServer };

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

    // Numbers and dates in the C locale's forms, whatever the user's locale.
    bool localeFree() const { return iso || types; }

    // Nothing asked beyond the window's four options (and the form of numbers and dates):
    // the script is the window's own text.
    bool windowForm() const {
        return dialect == Dialect::Window && !transaction && batch == 1 && !nulls && !names &&
               !types && !trim && !copy;
    }
};

} // namespace tabrivel
