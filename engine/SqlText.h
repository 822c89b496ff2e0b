#pragma once

#include "engine/Value.h"
#include "engine/ValueText.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace tabrivel {

// The statements are UTF-8 text. Every builder is a pure function: the conversion run
// reads the options from the window and passes them in for each statement.

std::string ClosingDelimiterFor(std::string_view openingDelimiter);

// How the values between the apostrophes are written: standard SQL (apostrophes
// doubled), or by the rules MySQL and MariaDB read back exactly. The back-quote, their
// identifier quote, says that a script is meant for them.
enum class LiteralRules : std::uint8_t { Standard, MySql };
LiteralRules LiteralRulesFor(std::string_view openingDelimiter);

// D + T + "_" + B + C, the table-name option and the base name written as NameText
// says: enclosed safely between identifier quotes, or reduced to letters, digits and "_".
std::string QualifiedTableName(std::string_view opening, std::string_view closing,
                               std::string_view tableName, std::string_view baseName);

// A single name between the delimiters, written the same way.
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
                           LiteralRules rules, const std::function<void()>& pieceWritten = {});

} // namespace tabrivel
