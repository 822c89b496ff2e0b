#pragma once

#include "engine/TableError.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tabrivel::dbf {

// The type letter of a field descriptor. Letters whose meaning depends on the
// table's family (B is a double in Visual FoxPro and a binary memo in dBase) are
// told apart by the decoder, which knows the family.
enum class FieldType : char {
    Character = 'C',
    Varchar = 'V',
    Memo = 'M',
    Numeric = 'N',
    Float = 'F',
    Integer = 'I',
    AutoIncrement = '+',
    Double = 'B',
    DoubleBase7 = 'O',
    Currency = 'Y',
    Date = 'D',
    DateTime = 'T',
    Timestamp = '@',
    Logical = 'L',
    General = 'G',
    Picture = 'P',
    Blob = 'W',
    Varbinary = 'Q',
    NullFlags = '0',
};

// Which writer's conventions a table follows; decides memo format, binary
// layouts and the meaning of ambiguous type letters.
enum class TableFamily : std::uint8_t {
    DBase2,
    DBase3,
    DBase4,
    DBase7,
    FoxBase, // FoxBase and FoxPro 2.x
    VisualFoxPro,
    HiPerSix,
};

// Visual FoxPro field flags.
inline constexpr std::uint8_t kFieldSystem = 0x01;
inline constexpr std::uint8_t kFieldNullable = 0x02;
inline constexpr std::uint8_t kFieldBinary = 0x04;

struct FieldInfo {
    std::string name;
    FieldType type = FieldType::Character;
    std::uint32_t offset = 0; // from the start of the record, deletion flag included
    std::uint32_t length = 0;
    std::uint8_t decimals = 0;
    std::uint8_t flags = 0;
    int nullBit = -1;   // bit in _NullFlags that makes the value null
    int lengthBit = -1; // bit in _NullFlags that says the value is shorter than the field
};

struct LayoutNote {
    TableErrorCode code;
    std::string cause;
};

struct TableLayout {
    std::uint8_t version = 0;
    TableFamily family = TableFamily::DBase3;
    std::uint8_t languageDriver = 0;
    std::uint64_t recordCount = 0;
    std::uint64_t headerLength = 0;
    std::uint32_t recordLength = 0;
    std::vector<FieldInfo> fields; // the visible fields, in the table's order
    bool hasNullFlags = false;
    FieldInfo nullFlags; // the hidden _NullFlags field when hasNullFlags
    // The database container a Visual FoxPro table belongs to, as its header names it
    // after the descriptors (a path relative to the table); empty for a free table.
    std::string containerLink;
    // How a header that contradicted the file or itself was read, for the user.
    std::vector<LayoutNote> notes;

    bool needsMemoFile() const;
};

} // namespace tabrivel::dbf
