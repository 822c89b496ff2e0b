#include "engine/dbf/FieldKinds.h"

#include "engine/dbf/FieldTypes.h"

namespace tabrivel::dbf {
std::vector<FieldDescription> DescribeFields(const TableLayout& layout, TextDecoder& text) {
    std::vector<FieldDescription> fields;
    fields.reserve(layout.fields.size());
    for (const FieldInfo& field : layout.fields) {
        FieldDescription description;
        text.append(field.name, description.name);
        description.kind = FieldTypeOf(field, layout.family).kind;
        description.length = static_cast<int>(field.length);
        description.decimals = field.decimals;
        fields.push_back(std::move(description));
    }
    return fields;
}

} // namespace tabrivel::dbf
