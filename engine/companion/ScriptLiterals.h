#pragma once

#include "CellValue.h"
#include "LoadOptions.h"

#include <string>

namespace tabrivel {

// A cell as a value of an INSERT statement for the dialect.
void AppendSqlLiteral(std::string& out, const Cell& cell, const LoadOptions& load);

// A cell as a field of PostgreSQL's COPY text form.
void AppendCopyField(std::string& out, const Cell& cell, const LoadOptions& load);

} // namespace tabrivel
