#pragma once

#include "engine/TableSource.h"
#include "engine/dbf/TableLayout.h"

#include <cstdint>
#include <span>

namespace tabrivel::dbf {

// How a field's bytes become its value. Type letters mean different things in different
// families and widths, so this is worked out once per table, not once per value.
enum class FieldDecoding : std::uint8_t {
    Empty,       // a field of width 0: nothing stored, a null value
    Text,        // code-page text, cut at a NUL
    TrimmedText, // code-page text with its padding removed
    WideText,    // UTF-16LE text
    Binary,      // the bytes as they are
    Numeric,
    Integer,
    IntegerBase7,
    Double,
    DoubleBase7,
    Currency,
    Date,
    DateTime,
    Timestamp,
    Logical,
    TextMemo,
    BinaryMemo,
    Refused, // a width no writer of the family uses: the table cannot be laid out
};

// Which widths a row of the field types applies to.
enum class WidthRule : std::uint8_t {
    Any,
    Zero,
    Four,
    Eight,
    OneToEight,
    FourOrTen, // the widths of a memo pointer: binary or decimal
};

// A set of table families, one bit each.
using FamilySet = std::uint8_t;

constexpr FamilySet FamilyBit(TableFamily family) {
    return static_cast<FamilySet>(1u << static_cast<unsigned>(family));
}

inline constexpr FamilySet kEveryFamily = 0xFF;

// One kind of field: a type letter (in some families, at some widths, with or without
// the binary flag) with how its bytes are decoded, what its column holds and whether its
// bytes are code-page text. Everything that tells fields apart reads these rows.
struct FieldTypeRow {
    char letter; // '\0': every letter no earlier row took
    FamilySet families;
    WidthRule width;
    bool binaryFlag; // only for fields marked as holding bytes, not text
    FieldDecoding decoding;
    FieldKind kind;
    bool storedText; // code-page text the choice of a guessed code page may look at

    bool isMemo() const {
        return decoding == FieldDecoding::TextMemo || decoding == FieldDecoding::BinaryMemo;
    }
};

// Every row, in the order they are tried.
std::span<const FieldTypeRow> FieldTypeRows();

// The first row that matches the field; the last row matches every field.
const FieldTypeRow& FieldTypeOf(const FieldInfo& field, TableFamily family);

// Whether a row describes the field.
bool RowMatches(const FieldTypeRow& row, const FieldInfo& field, TableFamily family);

} // namespace tabrivel::dbf
