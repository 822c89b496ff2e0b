#pragma once

#include "engine/dbf/BinaryFile.h"
#include "engine/dbf/TableLayout.h"

#include <optional>

namespace tabrivel::dbf {

// The family a version byte announces; empty for a byte no known writer uses.
std::optional<TableFamily> FamilyOfVersion(std::uint8_t version);

// Reads and checks the header and field descriptors. Throws TableError when they
// cannot describe a readable table, so nothing fails half-way through the records.
TableLayout ReadTableLayout(BinaryFile& file);

// Assigns the _NullFlags bits of every field, in field order: a V or Q field takes one
// bit for "shorter than the field", then a nullable field takes one for "null".
void AssignNullFlagBits(std::vector<FieldInfo>& fields);

} // namespace tabrivel::dbf
