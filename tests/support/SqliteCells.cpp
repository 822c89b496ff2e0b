#include "SqliteCells.h"

#include "engine/ValueText.h"

#include <cstdio>

namespace tabrivel::testing {
namespace {

using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

sqlite3* Open(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    return db;
}

std::string ExpectedCell(const OwnedValue& value) {
    if (value.type != ValueType::Text)
        return ValueText(Value::of(value.type, value.text), ValueFormat());
    std::string text;
    for (char c : value.text)
        if (c != '\0')
            text.push_back(c);
    return text;
}

std::optional<std::string> TypedCell(sqlite3_stmt* statement, int column) {
    const auto bytes = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
        return std::nullopt;
    case SQLITE_INTEGER:
        return std::to_string(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT: {
        char text[40];
        std::snprintf(text, sizeof text, "%.17g", sqlite3_column_double(statement, column));
        return std::string(text);
    }
    case SQLITE_BLOB: {
        static constexpr char kHex[] = "0123456789abcdef";
        const auto* blob =
            static_cast<const unsigned char*>(sqlite3_column_blob(statement, column));
        std::string hex;
        for (std::size_t i = 0; i < bytes; ++i)
            (hex += kHex[blob[i] >> 4]) += kHex[blob[i] & 0x0F];
        return hex;
    }
    default:
        return std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                           bytes);
    }
}

} // namespace

SqliteDatabase::SqliteDatabase(const std::string& path) : handle_(Open(path), sqlite3_close) {}

std::string SqliteDatabase::runOne(std::string_view sql) const {
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(get(), sql.data(), static_cast<int>(sql.size()), &raw, &tail) !=
        SQLITE_OK)
        return sqlite3_errmsg(get());
    Statement statement(raw, sqlite3_finalize);
    if (tail != sql.data() + sql.size())
        return "more than one statement: " + std::string(tail);
    if (sqlite3_step(raw) != SQLITE_DONE)
        return sqlite3_errmsg(get());
    return {};
}

std::string SqliteDatabase::runScript(const std::string& sql) const {
    char* message = nullptr;
    if (sqlite3_exec(get(), sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK)
        return {};
    std::string error = message ? message : "failed";
    sqlite3_free(message);
    return error;
}

Cells SqliteDatabase::textCells(const std::string& quotedTable) const {
    Cells rows;
    sqlite3_stmt* raw = nullptr;
    const std::string query = "SELECT * FROM " + quotedTable + " ORDER BY rowid";
    if (sqlite3_prepare_v2(get(), query.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        return {{std::string("<no table: ") + sqlite3_errmsg(get()) + ">"}};
    Statement statement(raw, sqlite3_finalize);
    while (sqlite3_step(raw) == SQLITE_ROW) {
        rows.emplace_back();
        for (int column = 0; column < sqlite3_column_count(raw); ++column) {
            const int type = sqlite3_column_type(raw, column);
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, column));
            const auto bytes = static_cast<std::size_t>(sqlite3_column_bytes(raw, column));
            rows.back().push_back(type != SQLITE_TEXT ? "<not text>" : std::string(text, bytes));
        }
    }
    return rows;
}

std::vector<std::vector<std::optional<std::string>>>
SqliteDatabase::typedRows(const std::string& quotedTable) const {
    std::vector<std::vector<std::optional<std::string>>> rows;
    sqlite3_stmt* raw = nullptr;
    const std::string query = "SELECT * FROM " + quotedTable + " ORDER BY rowid";
    if (sqlite3_prepare_v2(get(), query.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        return {{std::string("<no table: ") + sqlite3_errmsg(get()) + ">"}};
    Statement statement(raw, sqlite3_finalize);
    while (sqlite3_step(raw) == SQLITE_ROW) {
        rows.emplace_back();
        for (int column = 0; column < sqlite3_column_count(raw); ++column)
            rows.back().push_back(TypedCell(raw, column));
    }
    return rows;
}

Cells ExpectedTextCells(const std::vector<OwnedRecord>& records) {
    Cells rows;
    for (const auto& record : records) {
        rows.emplace_back();
        for (const auto& value : record)
            rows.back().push_back(ExpectedCell(value));
    }
    return rows;
}

std::string FirstDifference(const Cells& stored, const Cells& expected) {
    if (stored.size() != expected.size())
        return std::to_string(stored.size()) + " rows stored, " + std::to_string(expected.size()) +
               " read";
    for (std::size_t row = 0; row < expected.size(); ++row) {
        if (stored[row].size() != expected[row].size())
            return "row " + std::to_string(row + 1) + ": " + std::to_string(stored[row].size()) +
                   " columns stored, " + std::to_string(expected[row].size()) + " read";
        for (std::size_t column = 0; column < expected[row].size(); ++column) {
            if (stored[row][column] != expected[row][column])
                return "row " + std::to_string(row + 1) + ", column " + std::to_string(column + 1) +
                       ": stored \"" + stored[row][column] + "\", read \"" + expected[row][column] +
                       "\"";
        }
    }
    return {};
}

} // namespace tabrivel::testing
