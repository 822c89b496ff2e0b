#pragma once

#include "CellValue.h"
#include "DialectRules.h"
#include "LoadOptions.h"
#include "engine/MySqlText.h"

#include <functional>
#include <string>

namespace tabrivel {

// A cell as a value of an INSERT statement for the dialect.
void AppendSqlLiteral(std::string& out, const Cell& cell, const LoadOptions& load);

// A cell as a field of PostgreSQL's COPY text form.
void AppendCopyField(std::string& out, const Cell& cell, const LoadOptions& load);

// A text or binary cell's literal in three parts: what stands before its value, the
// value's text (or bytes) in that literal's escaping, and what stands after it. Together
// they write what AppendSqlLiteral or AppendCopyField writes; apart, they let a value
// that comes in pieces be written piece by piece, with one MySqlTextWriter for all the
// pieces of a value (an escape must not follow the last byte of the piece before).
LiteralFrame CellFrame(const Cell& cell, const LoadOptions& load);
void AppendCellBody(std::string& out, const Cell& cell, std::string_view piece,
                    const LoadOptions& load, MySqlTextWriter& mysql);

// A cell whose value comes in pieces, written as AppendSqlLiteral or AppendCopyField
// would write it whole; `pieceWritten` runs after each piece, so that the caller can send
// `out` on and a memo of hundreds of megabytes is never held whole.
void AppendCellInPieces(std::string& out, const Cell& cell, const LoadOptions& load,
                        const std::function<void()>& pieceWritten);

} // namespace tabrivel
