#pragma once

#include "engine/TableSource.h"
#include "engine/dbf/TableLayout.h"
#include "engine/dbf/TextDecoder.h"

#include <vector>

namespace tabrivel::dbf {

// What each visible field holds, resolved with the table's family (B is a double in
// Visual FoxPro and a binary memo in dBase); names are decoded in the table's code page.
std::vector<FieldDescription> DescribeFields(const TableLayout& layout, TextDecoder& text);

} // namespace tabrivel::dbf
