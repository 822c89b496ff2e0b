#pragma once

#include "LoadOptions.h"
#include "engine/TableSource.h"

#include <string>
#include <string_view>

namespace tabrivel {

// What tells the databases apart in a script: their identifier quotes, transaction
// words, column types and the literals of their values.
struct DialectRules {
    std::string_view opening; // identifier quotes when --delimiter is not given
    std::string_view closing;
    std::string_view begin;         // starts a transaction (without the semicolon)
    std::string_view untypedColumn; // the column type without --types
    bool backslashEscapes = false;  // a backslash inside '...' escapes the next character
    bool unicodeLiterals = false;   // text literals need N'...' to keep every character
    // A text holding a carriage return is written as the hexadecimal digits of its UTF-8
    // bytes, cast to text: the database's shell would drop a raw one before a line feed,
    // and an expression per carriage return grows past the depth its parser takes.
    bool carriageReturnsAsHex = false;
    // The statement a script begins with (without the semicolon): it tells the database
    // that the script is UTF-8, whatever its client would otherwise take it for; empty:
    // none.
    std::string_view preamble = {};
    // The line that tells the database's shell to stop at the first error (psql and the
    // sqlite3 shell go on by default; mysql stops); empty: none.
    std::string_view stopOnError = {};
    // Creates a schema unless it exists, before its quoted name; empty: the database has no
    // such statement, and the schema must exist.
    std::string_view createSchema = {};
    // The longest name the database takes, in bytes or in characters; 0: no limit.
    int nameLimit = 0;
    bool nameLimitInBytes = false;
};

const DialectRules& RulesOf(Dialect dialect);

// The column type of a field under --types.
std::string ColumnType(Dialect dialect, const FieldDescription& field);

// What stands before and after the hexadecimal digits of a binary literal of the
// dialect's binary type.
struct LiteralFrame {
    std::string_view open;
    std::string_view close;
};
LiteralFrame BinaryLiteralFrame(Dialect dialect);

// A logical value as a literal the dialect's boolean column takes.
std::string_view BooleanLiteral(Dialect dialect, bool value);

// Numeric precision and scale for a field. A field's text may hold more digits than it
// declares, or an exponent: a database with an unbounded numeric gets that (digits 0);
// the others get the widest decimal that keeps as many whole digits as the field is
// wide, and a value beyond it is reported.
struct Precision {
    int digits = 0;
    int scale = 0;

    bool unbounded() const { return digits == 0; }
};
Precision NumericPrecision(Dialect dialect, const FieldDescription& field);

} // namespace tabrivel
