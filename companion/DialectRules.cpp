#include "DialectRules.h"

#include "engine/ValueText.h"

#include <algorithm>

namespace tabrivel {
namespace {

constexpr DialectRules kWindow{
    .opening = "'", .closing = "'", .begin = "BEGIN", .untypedColumn = "text"};
constexpr DialectRules kSqlite{.opening = "\"",
                               .closing = "\"",
                               .begin = "BEGIN",
                               .untypedColumn = "text",
                               .carriageReturnsAsHex = true,
                               .stopOnError = ".bail on"};
constexpr DialectRules kPostgreSql{.opening = "\"",
                                   .closing = "\"",
                                   .begin = "BEGIN",
                                   .untypedColumn = "text",
                                   .preamble = "SET client_encoding TO 'UTF8'",
                                   .stopOnError = "\\set ON_ERROR_STOP on",
                                   .createSchema = "CREATE SCHEMA IF NOT EXISTS ",
                                   .nameLimit = 63,
                                   .nameLimitInBytes = true};
constexpr DialectRules kMySql{.opening = "`",
                              .closing = "`",
                              .begin = "START TRANSACTION",
                              .untypedColumn = "longtext",
                              .backslashEscapes = true,
                              .preamble = "SET NAMES utf8mb4",
                              .createSchema = "CREATE DATABASE IF NOT EXISTS ",
                              .nameLimit = 64};
constexpr DialectRules kSqlServer{.opening = "[",
                                  .closing = "]",
                                  .begin = "BEGIN TRANSACTION",
                                  .untypedColumn = "nvarchar(max)",
                                  .unicodeLiterals = true,
                                  .nameLimit = 128};

// The names of one dialect's types, indexed by what a field holds.
struct TypeNames {
    std::string_view varchar; // followed by (n)
    std::string_view longText;
    std::string_view integer;
    std::string_view bigInteger;
    std::string_view floating;
    std::string_view date;
    std::string_view dateTime;
    std::string_view logical;
    std::string_view binary;
    int maxVarchar;
    int maxPrecision; // 0: numeric without a precision takes any number exactly
    int maxScale;
};

constexpr TypeNames kStandardTypes{
    "varchar", "text",   "integer", "bigint", "double precision", "date", "timestamp", "boolean",
    "blob",    10485760, 0,         0};
constexpr TypeNames kSqliteTypes{"varchar",   "text",    "integer", "integer",  "real", "date",
                                 "timestamp", "boolean", "blob",    1000000000, 0,      0};
constexpr TypeNames kPostgreSqlTypes{
    "varchar", "text",   "integer", "bigint", "double precision", "date", "timestamp", "boolean",
    "bytea",   10485760, 0,         0};
constexpr TypeNames kMySqlTypes{"varchar",  "longtext", "int",      "bigint", "double", "date",
                                "datetime", "boolean",  "longblob", 16383,    65,       30};
constexpr TypeNames kSqlServerTypes{
    "nvarchar", "nvarchar(max)",  "int", "bigint", "float", "date", "datetime2",
    "bit",      "varbinary(max)", 4000,  38,       37};

const TypeNames& TypesOf(Dialect dialect) {
    switch (dialect) {
    case Dialect::Window:
        break;
    case Dialect::Sqlite:
        return kSqliteTypes;
    case Dialect::PostgreSql:
        return kPostgreSqlTypes;
    case Dialect::MySql:
        return kMySqlTypes;
    case Dialect::SqlServer:
        return kSqlServerTypes;
    }
    return kStandardTypes;
}

} // namespace

const DialectRules& RulesOf(Dialect dialect) {
    switch (dialect) {
    case Dialect::Window:
        break;
    case Dialect::Sqlite:
        return kSqlite;
    case Dialect::PostgreSql:
        return kPostgreSql;
    case Dialect::MySql:
        return kMySql;
    case Dialect::SqlServer:
        return kSqlServer;
    }
    return kWindow;
}

// A field of width w holds at most w whole digits and w - 1 decimals in plain form: the
// scale keeps room for w whole digits where the precision allows, and never falls below
// the declared decimals.
Precision NumericPrecision(Dialect dialect, const FieldDescription& field) {
    const TypeNames& names = TypesOf(dialect);
    if (names.maxPrecision == 0)
        return {};
    const int width = std::max(field.length, 1);
    const int room = std::min(width - 1, names.maxPrecision - width);
    const int scale = std::clamp(std::max(room, field.decimals), 0, names.maxScale);
    return {names.maxPrecision, scale};
}

std::string ColumnType(Dialect dialect, const FieldDescription& field) {
    const TypeNames& names = TypesOf(dialect);
    switch (field.kind) {
    case FieldKind::Character:
        if (field.length < 1 || field.length > names.maxVarchar)
            return std::string(names.longText);
        return std::string(names.varchar) + "(" + std::to_string(field.length) + ")";
    case FieldKind::Memo:
        return std::string(names.longText);
    case FieldKind::Numeric: {
        const Precision precision = NumericPrecision(dialect, field);
        if (precision.unbounded())
            return "numeric";
        return "numeric(" + std::to_string(precision.digits) + "," +
               std::to_string(precision.scale) + ")";
    }
    case FieldKind::Integer:
        return std::string(field.length > 4 ? names.bigInteger : names.integer);
    case FieldKind::Double:
        return std::string(names.floating);
    case FieldKind::Currency:
        return "numeric(19,4)";
    case FieldKind::Date:
        return std::string(names.date);
    case FieldKind::DateTime:
        return std::string(names.dateTime);
    case FieldKind::Logical:
        return std::string(names.logical);
    case FieldKind::Binary:
        return std::string(names.binary);
    }
    return std::string(names.longText);
}

LiteralFrame BinaryLiteralFrame(Dialect dialect) {
    switch (dialect) {
    case Dialect::PostgreSql:
        return {"'\\x", "'"};
    case Dialect::SqlServer:
        return {"0x", ""};
    case Dialect::Window:
    case Dialect::Sqlite:
    case Dialect::MySql:
        break;
    }
    return {"X'", "'"};
}

std::string_view BooleanLiteral(Dialect dialect, bool value) {
    switch (dialect) {
    case Dialect::Window:
        return value ? "TRUE" : "FALSE";
    case Dialect::PostgreSql:
        return value ? "'true'" : "'false'";
    case Dialect::Sqlite:
    case Dialect::MySql:
    case Dialect::SqlServer:
        break;
    }
    return value ? "1" : "0";
}

} // namespace tabrivel
