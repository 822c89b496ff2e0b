#include "CellValue.h"

#include "engine/ValuePieces.h"

#include "DialectRules.h"

namespace tabrivel {
namespace {

std::string_view WithoutTrailingBlanks(std::string_view text) {
    const std::size_t end = text.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

// Whether a canonical decimal fits numeric(digits, scale) without rounding: a database
// would round extra decimals away or refuse the row. An unbounded numeric takes any.
bool FitsPrecision(std::string_view number, const Precision& precision) {
    if (precision.unbounded())
        return true;
    if (number.starts_with('-'))
        number.remove_prefix(1);
    const std::size_t point = number.find('.');
    std::string_view whole = number.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : number.substr(point + 1);
    while (whole.starts_with('0'))
        whole.remove_prefix(1);
    while (fraction.ends_with('0'))
        fraction.remove_suffix(1);
    return static_cast<int>(whole.size()) <= precision.digits - precision.scale &&
           static_cast<int>(fraction.size()) <= precision.scale;
}

} // namespace

CellMaker::CellMaker(const LoadOptions& load, const ValueFormat& localeFormat)
    : load_(load), locale_(load.localeFree() ? ValueFormat() : localeFormat) {}

bool CellMaker::nullIsNull(const PlannedColumn& column) const {
    // An empty text is no number, date or bytes: a typed column takes only NULL.
    return load_.nulls || (load_.types && ColumnValueType(column.field.kind) != ValueType::Text);
}

bool CellMaker::fitsColumn(const Value& value, const PlannedColumn& column) const {
    if (value.type != ColumnValueType(column.field.kind))
        return false;
    if (column.field.kind == FieldKind::Numeric)
        return FitsPrecision(value.text, NumericPrecision(load_.dialect, column.field));
    if (column.field.kind == FieldKind::Currency)
        return FitsPrecision(value.text, {19, 4});
    return true;
}

Cell CellMaker::make(const Value& value, const PlannedColumn& column, std::string& scratch) const {
    if (value.pieces) {
        // A very long memo goes on in its pieces; only trimming needs it whole.
        if (value.type == ValueType::Binary)
            return {Cell::Kind::Binary, {}, false, value.pieces};
        if (!load_.trim)
            return {Cell::Kind::Text, {}, false, value.pieces};
        scratch.clear();
        value.pieces->forEach([&scratch](std::string_view piece) { scratch += piece; });
        return make(Value::of(value.type, scratch), column, scratch);
    }
    if (value.type == ValueType::Null)
        return nullIsNull(column) ? Cell{} : Cell{Cell::Kind::Text, {}};
    if (load_.types && !fitsColumn(value, column))
        return {Cell::Kind::Mismatch, value.text};
    switch (value.type) {
    case ValueType::Null:
        break;
    case ValueType::Text: {
        const bool trim = load_.trim && column.field.kind == FieldKind::Character;
        return {Cell::Kind::Text, trim ? WithoutTrailingBlanks(value.text) : value.text};
    }
    case ValueType::Number:
        scratch.clear();
        locale_.appendNumber(scratch, value.text);
        return {Cell::Kind::Formed, scratch};
    case ValueType::Date:
        scratch.clear();
        locale_.appendDate(scratch, value.text);
        return {Cell::Kind::Formed, scratch};
    case ValueType::DateTime:
        scratch.clear();
        locale_.appendDateTime(scratch, value.text);
        return {Cell::Kind::Formed, scratch};
    case ValueType::Logical:
        return {Cell::Kind::Logical, value.text, value.text == "True"};
    case ValueType::Binary:
        return {Cell::Kind::Binary, value.text};
    }
    return {};
}

} // namespace tabrivel
