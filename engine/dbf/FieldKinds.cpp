#include "engine/dbf/FieldKinds.h"

namespace tabrivel::dbf {
namespace {

FieldKind KindOf(const FieldInfo& field, TableFamily family) {
    switch (field.type) {
    case FieldType::Character:
    case FieldType::Varchar:
        return FieldKind::Character;
    case FieldType::Memo:
        return (field.flags & kFieldBinary) != 0 ? FieldKind::Binary : FieldKind::Memo;
    case FieldType::Numeric:
    case FieldType::Float:
        return FieldKind::Numeric;
    case FieldType::Integer:
    case FieldType::AutoIncrement:
        return FieldKind::Integer;
    case FieldType::Double:
        return IsMemoField(field, family) ? FieldKind::Binary : FieldKind::Double;
    case FieldType::DoubleBase7:
        return FieldKind::Double;
    case FieldType::Currency:
        return field.length == 8 ? FieldKind::Currency : FieldKind::Character;
    case FieldType::Date:
        return FieldKind::Date;
    case FieldType::DateTime:
    case FieldType::Timestamp:
        return FieldKind::DateTime;
    case FieldType::Logical:
        return FieldKind::Logical;
    case FieldType::General:
    case FieldType::Picture:
    case FieldType::Blob:
    case FieldType::Varbinary:
        return FieldKind::Binary;
    case FieldType::NullFlags:
        break;
    }
    // A type letter no reader agrees on is delivered as its text.
    return FieldKind::Character;
}

} // namespace

std::vector<FieldDescription> DescribeFields(const TableLayout& layout, TextDecoder& text) {
    std::vector<FieldDescription> fields;
    fields.reserve(layout.fields.size());
    for (const FieldInfo& field : layout.fields) {
        FieldDescription description;
        text.append(field.name, description.name);
        description.kind = KindOf(field, layout.family);
        description.length = static_cast<int>(field.length);
        description.decimals = field.decimals;
        fields.push_back(std::move(description));
    }
    return fields;
}

} // namespace tabrivel::dbf
