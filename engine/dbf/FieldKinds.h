#pragma once

#include "engine/TableSource.h"
#include "engine/dbf/TableLayout.h"
#include "engine/dbf/TextDecoder.h"

#include <vector>

namespace tabrivel::dbf {

// What each visible field holds, as its row of the field types says; names are decoded in
// the table's code page.
std::vector<FieldDescription> DescribeFields(const TableLayout& layout, TextDecoder& text);

} // namespace tabrivel::dbf
