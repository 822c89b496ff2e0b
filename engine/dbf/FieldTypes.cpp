#include "engine/dbf/FieldTypes.h"

#include <array>

namespace tabrivel::dbf {
namespace {

using D = FieldDecoding;
using K = FieldKind;
using W = WidthRule;

constexpr FamilySet kAll = kEveryFamily;
constexpr FamilySet kFox = FamilyBit(TableFamily::VisualFoxPro);
constexpr FamilySet kBase7 = FamilyBit(TableFamily::DBase7);

// Rows are tried top to bottom: a narrower row (a family, a width, the binary flag)
// stands before the wider one it takes fields from. Integers come in 1 to 8 bytes from
// some xBase writers; dBase 7 and Visual FoxPro fix the widths of theirs.
// clang-format off
constexpr std::array kRows{
    // letter family width  binary decoding          kind          stored text
    FieldTypeRow{'\0', kAll, W::Zero, false, D::Empty, K::Character, false},

    FieldTypeRow{'C', kAll, W::Any, true, D::Binary, K::Binary, false},
    FieldTypeRow{'C', kAll, W::Any, false, D::Text, K::Character, true},
    // A varchar's last byte may be its length, no text.
    FieldTypeRow{'V', kAll, W::Any, true, D::Binary, K::Binary, false},
    FieldTypeRow{'V', kAll, W::Any, false, D::Text, K::Character, false},
    FieldTypeRow{'M', kAll, W::Any, true, D::BinaryMemo, K::Binary, false},
    FieldTypeRow{'M', kAll, W::Any, false, D::TextMemo, K::Memo, true},

    FieldTypeRow{'N', kAll, W::Any, false, D::Numeric, K::Numeric, false},
    FieldTypeRow{'F', kAll, W::Any, false, D::Numeric, K::Numeric, false},

    FieldTypeRow{'I', kBase7, W::Four, false, D::IntegerBase7, K::Integer, false},
    FieldTypeRow{'I', kBase7, W::Any, false, D::Refused, K::Integer, false},
    FieldTypeRow{'I', kAll, W::OneToEight, false, D::Integer, K::Integer, false},
    FieldTypeRow{'I', kAll, W::Any, false, D::Refused, K::Integer, false},
    FieldTypeRow{'+', kBase7, W::Four, false, D::IntegerBase7, K::Integer, false},
    FieldTypeRow{'+', kBase7, W::Any, false, D::Refused, K::Integer, false},
    FieldTypeRow{'+', kAll, W::OneToEight, false, D::Integer, K::Integer, false},
    FieldTypeRow{'+', kAll, W::Any, false, D::Refused, K::Integer, false},

    // B is a double in Visual FoxPro and wherever it is 8 wide, elsewhere a binary memo.
    FieldTypeRow{'B', kAll, W::Eight, false, D::Double, K::Double, false},
    FieldTypeRow{'B', kFox, W::Any, false, D::Refused, K::Double, false},
    FieldTypeRow{'B', kAll, W::Any, false, D::BinaryMemo, K::Binary, false},
    FieldTypeRow{'O', kAll, W::Eight, false, D::DoubleBase7, K::Double, false},
    FieldTypeRow{'O', kAll, W::Any, false, D::Refused, K::Double, false},
    FieldTypeRow{'Y', kAll, W::Eight, false, D::Currency, K::Currency, false},
    FieldTypeRow{'Y', kFox, W::Any, false, D::Refused, K::Currency, false},
    FieldTypeRow{'Y', kAll, W::Any, false, D::TrimmedText, K::Character, false},

    FieldTypeRow{'D', kAll, W::Any, false, D::Date, K::Date, false},
    FieldTypeRow{'T', kAll, W::Eight, false, D::DateTime, K::DateTime, false},
    FieldTypeRow{'T', kFox, W::Any, false, D::Refused, K::DateTime, false},
    // Some xBase writers keep a time of day here: its bytes.
    FieldTypeRow{'T', kAll, W::Any, false, D::Binary, K::Binary, false},
    FieldTypeRow{'@', kAll, W::Eight, false, D::Timestamp, K::DateTime, false},
    FieldTypeRow{'@', kAll, W::Any, false, D::Refused, K::DateTime, false},
    FieldTypeRow{'L', kAll, W::Any, false, D::Logical, K::Logical, false},

    // Some writers keep these inline, in fields wider than any memo pointer.
    FieldTypeRow{'G', kAll, W::FourOrTen, false, D::BinaryMemo, K::Binary, false},
    FieldTypeRow{'G', kAll, W::Any, false, D::Binary, K::Binary, false},
    FieldTypeRow{'P', kAll, W::FourOrTen, false, D::BinaryMemo, K::Binary, false},
    FieldTypeRow{'P', kAll, W::Any, false, D::Binary, K::Binary, false},
    // Too wide for a blob pointer: a wide-character field, as some writers keep them.
    FieldTypeRow{'W', kAll, W::Four, false, D::BinaryMemo, K::Binary, false},
    FieldTypeRow{'W', kAll, W::Any, false, D::WideText, K::Character, false},
    FieldTypeRow{'Q', kAll, W::Any, false, D::Binary, K::Binary, false},

    // A type letter no format defines: its bytes, which reach a statement as hex, so
    // nothing is lost and no control character slips into the text.
    FieldTypeRow{'\0', kAll, W::Any, false, D::Binary, K::Binary, false},
};
// clang-format on

bool WidthMatches(WidthRule rule, std::uint32_t width) {
    switch (rule) {
    case WidthRule::Any:
        return true;
    case WidthRule::Zero:
        return width == 0;
    case WidthRule::Four:
        return width == 4;
    case WidthRule::Eight:
        return width == 8;
    case WidthRule::OneToEight:
        return width >= 1 && width <= 8;
    case WidthRule::FourOrTen:
        return width == 4 || width == 10;
    }
    return false;
}

} // namespace

std::span<const FieldTypeRow> FieldTypeRows() {
    return kRows;
}

bool RowMatches(const FieldTypeRow& row, const FieldInfo& field, TableFamily family) {
    return (row.letter == '\0' || row.letter == static_cast<char>(field.type)) &&
           (row.families & FamilyBit(family)) != 0 && WidthMatches(row.width, field.length) &&
           (!row.binaryFlag || (field.flags & kFieldBinary) != 0);
}

const FieldTypeRow& FieldTypeOf(const FieldInfo& field, TableFamily family) {
    for (const FieldTypeRow& row : kRows)
        if (RowMatches(row, field, family))
            return row;
    return kRows.back();
}

} // namespace tabrivel::dbf
