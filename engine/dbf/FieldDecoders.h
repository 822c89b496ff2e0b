#pragma once

#include "engine/TableWarning.h"
#include "engine/Value.h"
#include "engine/dbf/FieldTypes.h"
#include "engine/dbf/MemoFile.h"
#include "engine/dbf/MemoPieces.h"
#include "engine/dbf/TableLayout.h"
#include "engine/dbf/TextDecoder.h"

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace tabrivel::dbf {

// What a text memo's SQL text cannot carry of it.
struct TextLosses {
    bool nul = false;         // NUL bytes
    bool invalidUtf8 = false; // bytes of a UTF-8 table that are no UTF-8
};

// The last memo decoded. Consecutive records often point at one memo (a shared default
// text), and a dBase III memo without its terminator runs to the end of the file: each
// would otherwise be read and decoded again for every record.
struct LastMemo {
    bool valid = false;
    MemoFile::Ref ref;
    bool binary = false;
    MemoFile::Read read = MemoFile::Read::Whole;
    TextLosses losses;
    std::string value;

    bool holds(const MemoFile::Ref& other, bool otherBinary) const {
        return valid && ref.block == other.block && ref.length == other.length &&
               binary == otherBinary;
    }
};

// What a value can lose on its way to a statement, counted per field.
enum class Loss : std::uint8_t { CutAtNul, NulInMemo, InvalidUtf8, UnknownLogical };
inline constexpr std::size_t kLossKinds = 4;

// Where each of a field's losses stands among the warnings once it was noted (its place
// plus 1; 0: not yet), so that a loss in every record only counts up.
using LossPlaces = std::array<std::uint32_t, kLossKinds>;

// What a decoder needs beyond the field's bytes.
struct DecodeContext {
    TextDecoder& text;
    MemoFile& memo;
    std::string& memoBytes; // scratch for a memo's raw bytes, reused between records
    TableWarnings& warnings;
    const std::string& table; // the table's file name, for warnings
    LastMemo& lastMemo;
    MemoPieces* pieces = nullptr; // the field's own, for a memo too long to hold whole
    std::uint64_t record = 0;     // the record being decoded, counted from 1 as stored
    std::size_t field = 0;        // the field being decoded
    std::span<const FieldDescription> fields = {}; // their names, for warnings
    std::span<LossPlaces> losses = {};             // one per field
};

// Decodes one field as `decoding` (its row of the field types) says. `raw` holds the field's
// bytes (already shortened for a short varchar or varbinary); `out` is the field's own
// buffer, emptied by the caller. The value views `raw` or `out`.
Value DecodeField(FieldDecoding decoding, std::string_view raw, std::string& out,
                  DecodeContext& context);

} // namespace tabrivel::dbf
