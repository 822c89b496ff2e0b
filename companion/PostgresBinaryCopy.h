#pragma once

#include "CellValue.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tabrivel {

// How a column's values travel in COPY's binary form: the server stores them as they
// come, with no text to parse. Each is the wire form of one PostgreSQL type.
enum class BinaryWire : std::uint8_t {
    Text,
    Numeric,
    Int4,
    Int8,
    Float8,
    Date,
    Timestamp,
    Boolean,
    Bytea
};

// The wire form of a column of this CREATE TABLE type; none for a type the binary form
// is not written for here (its table then goes through the text form).
std::optional<BinaryWire> WireOfColumnType(std::string_view type);

// The binary form's signature and empty header, and its end mark.
void AppendBinaryCopyHeader(std::string& out);
void AppendBinaryCopyEnd(std::string& out);

// The start of a row of `fields` values.
void AppendBinaryRowStart(std::string& out, std::size_t fields);

// One cell in its column's wire form; a value in pieces goes piece by piece, with
// `pieceWritten` after each so that the caller can send `out` on. The cell is what the
// text form would carry: a number, date or time in the C forms, a text without NULs.
// A cell the wire form cannot take (never one the loading form makes) is a TargetError.
void AppendBinaryCell(std::string& out, const Cell& cell, BinaryWire wire,
                      const std::function<void()>& pieceWritten);

} // namespace tabrivel
