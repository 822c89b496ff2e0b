#pragma once

#include "engine/Value.h"
#include "engine/ValueText.h"

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace tabrivel {

// The statements are UTF-8 text. Every builder is a pure function: the conversion run
// reads the options from the window and passes them in for each statement.

std::string ClosingDelimiterFor(std::string_view openingDelimiter);

// D + T + "_" + B + C. A one-character closing delimiter inside the table-name option
// or the base name is doubled, so a name like O]Brien cannot close the quoting early.
std::string QualifiedTableName(std::string_view opening, std::string_view closing,
                               std::string_view tableName, std::string_view baseName);

// A single name between the delimiters, quoted the same way.
std::string QuotedName(std::string_view opening, std::string_view closing, std::string_view name);

std::string CreateTableStatement(std::string_view opening, std::string_view closing,
                                 std::string_view tableName, std::string_view baseName,
                                 int fieldCount, bool semicolon);

std::string InsertStatement(std::string_view opening, std::string_view closing,
                            std::string_view tableName, std::string_view baseName,
                            std::span<const Value> values, bool semicolon,
                            const ValueFormat& format);

// The hot-path form: appends to `out` given the already built qualified name. With
// `pieceWritten`, a value in pieces calls it after each piece, so the caller can write
// `out` away as it grows; without it, `out` is sized once for the whole statement.
void AppendInsertStatement(std::string& out, std::string_view qualifiedName,
                           std::span<const Value> values, bool semicolon, const ValueFormat& format,
                           const std::function<void()>& pieceWritten = {});

} // namespace tabrivel
