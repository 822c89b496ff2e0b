#include "SqliteTarget.h"

#include "engine/ValuePieces.h"

#include "engine/ValueText.h"

#include <sqlite3.h>

#include <chrono>
#include <utility>

namespace tabrivel {
namespace {

std::string InsertText(const TablePlan& plan) {
    std::string sql = "INSERT INTO " + plan.name + " VALUES (";
    for (std::size_t i = 0; i < plan.columns.size(); ++i)
        sql += i == 0 ? "?" : ",?";
    return sql + ")";
}

int Size(std::string_view text) {
    return static_cast<int>(text.size());
}

// SQLite binds NULL for a null pointer, and an empty view may well have one.
void BindText(sqlite3_stmt* statement, int index, std::string_view text, void (*lifetime)(void*)) {
    sqlite3_bind_text(statement, index, text.empty() ? "" : text.data(), Size(text), lifetime);
}

} // namespace

void SqliteTarget::Closer::operator()(sqlite3* db) const {
    sqlite3_close(db);
}

void SqliteTarget::Closer::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

SqliteTarget::SqliteTarget(const std::string& path, LoadOptions load, int busyTimeoutMs)
    : load_(std::move(load)) {
    sqlite3* db = nullptr;
    const int opened = sqlite3_open(path.c_str(), &db);
    db_.reset(db);
    if (opened != SQLITE_OK)
        throw TargetError(db ? sqlite3_errmsg(db) : "cannot open the database");
    sqlite3_busy_timeout(db, busyTimeoutMs);
    // A file that is no database shows here, not half way through the first table, and in
    // words rather than as the statement SQLite was refusing.
    const char* const check = "PRAGMA schema_version";
    const int status = sqlite3_exec(db, check, nullptr, nullptr, nullptr);
    if (status == SQLITE_NOTADB)
        throw TargetError("not an SQLite database; it was left as it was");
    if (status != SQLITE_OK)
        fail(check);
}

SqliteTarget::~SqliteTarget() {
    rollBack();
    if (db_ && sqlite3_get_autocommit(db_.get()) == 0)
        sqlite3_exec(db_.get(), "COMMIT", nullptr, nullptr, nullptr);
}

// Only the table in hand goes: the tables loaded before it in the same transaction stay.
void SqliteTarget::rollBack() {
    insert_.reset();
    if (db_ && tableOpen_) {
        sqlite3_exec(db_.get(), "ROLLBACK TO tabrivel_table", nullptr, nullptr, nullptr);
        sqlite3_exec(db_.get(), "RELEASE tabrivel_table", nullptr, nullptr, nullptr);
    }
    tableOpen_ = false;
}

// Each table is a savepoint inside a transaction that is committed about once a second:
// a commit waits for the disk, and ten thousand small tables would wait ten thousand
// times.
void SqliteTarget::beginTableTransaction() {
    if (sqlite3_get_autocommit(db_.get()) != 0) {
        execute("BEGIN");
        transactionBegun_ = std::chrono::steady_clock::now();
    }
    execute("SAVEPOINT tabrivel_table");
    tableOpen_ = true;
}

void SqliteTarget::commitWhenDue(bool now) {
    if (sqlite3_get_autocommit(db_.get()) != 0)
        return;
    if (now || std::chrono::steady_clock::now() - transactionBegun_ >= std::chrono::seconds(1))
        execute("COMMIT");
}

void SqliteTarget::fail(const std::string& doing) {
    const std::string message = doing + ": " + sqlite3_errmsg(db_.get());
    rollBack();
    throw TargetError(message);
}

void SqliteTarget::execute(const std::string& sql) {
    if (sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(sql.substr(0, sql.find(' ')));
}

std::uint64_t SqliteTarget::rowCount(const std::string& table) {
    sqlite3_stmt* raw = nullptr;
    const std::string query = "SELECT count(*) FROM " + table;
    if (sqlite3_prepare_v2(db_.get(), query.c_str(), Size(query), &raw, nullptr) != SQLITE_OK)
        fail("counting the rows");
    std::unique_ptr<sqlite3_stmt, Closer> statement(raw);
    if (sqlite3_step(raw) != SQLITE_ROW)
        fail("counting the rows");
    return static_cast<std::uint64_t>(sqlite3_column_int64(raw, 0));
}

bool SqliteTarget::tableExists(const std::string& name) {
    sqlite3_stmt* raw = nullptr;
    const char* query = "SELECT 1 FROM sqlite_master WHERE name = ?1 COLLATE NOCASE";
    if (sqlite3_prepare_v2(db_.get(), query, -1, &raw, nullptr) != SQLITE_OK)
        fail("looking the table up");
    std::unique_ptr<sqlite3_stmt, Closer> statement(raw);
    sqlite3_bind_text(raw, 1, name.data(), Size(name), SQLITE_TRANSIENT);
    return sqlite3_step(raw) == SQLITE_ROW;
}

void SqliteTarget::beginTable(const TablePlan& plan) {
    const bool exists = tableExists(plan.plainName);
    CheckExistingTable(plan, exists, load_.existing);
    rowsBefore_ = exists && load_.existing == ExistingTable::Append ? rowCount(plan.name) : 0;
    beginTableTransaction();
    if (exists && load_.existing == ExistingTable::Replace)
        execute("DROP TABLE " + plan.name);
    if (load_.existing != ExistingTable::Append)
        execute(CreateTableText(plan));
    sqlite3_stmt* raw = nullptr;
    const std::string sql = InsertText(plan);
    if (sqlite3_prepare_v2(db_.get(), sql.c_str(), Size(sql), &raw, nullptr) != SQLITE_OK)
        fail("INSERT");
    insert_.reset(raw);
}

// A bound parameter takes its value whole: a memo in pieces is joined into `into`,
// which stays as it is until the row is stepped.
Cell SqliteTarget::Whole(const Cell& cell, std::string& into) {
    into.clear();
    cell.pieces->forEach([&into](std::string_view piece) { into += piece; });
    Cell whole = cell;
    whole.text = into;
    whole.pieces = nullptr;
    return whole;
}

void SqliteTarget::bind(int index, const Cell& cell) {
    sqlite3_stmt* statement = insert_.get();
    switch (cell.kind) {
    case Cell::Kind::Null:
    case Cell::Kind::Mismatch:
        sqlite3_bind_null(statement, index);
        return;
    case Cell::Kind::Text:
        if (cell.text.find('\0') != std::string_view::npos) {
            // SQLite's text stops at a NUL, and such a memo is often a picture or a
            // document kept as text: it is stored as the bytes it holds.
            sqlite3_bind_blob(statement, index, cell.text.data(), Size(cell.text), SQLITE_STATIC);
            return;
        }
        [[fallthrough]];
    case Cell::Kind::Formed:
        BindText(statement, index, cell.text, SQLITE_STATIC);
        return;
    case Cell::Kind::Logical:
        if (load_.types)
            sqlite3_bind_int(statement, index, cell.truth ? 1 : 0);
        else
            BindText(statement, index, cell.text, SQLITE_STATIC);
        return;
    case Cell::Kind::Binary:
        if (load_.types) {
            sqlite3_bind_blob(statement, index, cell.text.empty() ? "" : cell.text.data(),
                              Size(cell.text), SQLITE_STATIC);
        } else {
            scratch_.clear();
            AppendHex(scratch_, cell.text);
            BindText(statement, index, scratch_, SQLITE_TRANSIENT);
        }
        return;
    }
}

void SqliteTarget::addRow(std::span<const Cell> cells) {
    wholes_.resize(cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i)
        bind(static_cast<int>(i + 1), cells[i].pieces ? Whole(cells[i], wholes_[i]) : cells[i]);
    if (sqlite3_step(insert_.get()) != SQLITE_DONE)
        fail("INSERT");
    sqlite3_reset(insert_.get());
}

void SqliteTarget::endTable() {
    insert_.reset();
    if (tableOpen_) {
        tableOpen_ = false;
        execute("RELEASE tabrivel_table");
    }
    commitWhenDue(false);
}

void SqliteTarget::finish() {
    rollBack();
    commitWhenDue(true);
}

} // namespace tabrivel

namespace tabrivel {
namespace {

class SqliteRows final : public StoredRows {
public:
    // The rows after the first `skipped`: those a load appended.
    SqliteRows(sqlite3* db, const std::string& table, std::uint64_t skipped) {
        const std::string query =
            "SELECT * FROM " + table + " ORDER BY rowid LIMIT -1 OFFSET " + std::to_string(skipped);
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(db, query.c_str(), Size(query), &raw, nullptr) != SQLITE_OK)
            throw TargetError(std::string("reading back: ") + sqlite3_errmsg(db));
        statement_.reset(raw);
    }

    bool next(std::vector<std::optional<std::string>>& row) override {
        sqlite3_stmt* statement = statement_.get();
        const int status = sqlite3_step(statement);
        if (status == SQLITE_DONE)
            return false;
        if (status != SQLITE_ROW)
            throw TargetError(std::string("reading back: ") +
                              sqlite3_errmsg(sqlite3_db_handle(statement)));
        const int columns = sqlite3_column_count(statement);
        row.assign(static_cast<std::size_t>(columns), std::nullopt);
        for (int k = 0; k < columns; ++k)
            row[static_cast<std::size_t>(k)] = Column(statement, k);
        return true;
    }

private:
    static std::optional<std::string> Column(sqlite3_stmt* statement, int k) {
        switch (sqlite3_column_type(statement, k)) {
        case SQLITE_NULL:
            return std::nullopt;
        case SQLITE_BLOB: {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, k));
            std::string hex;
            AppendHex(hex, std::string_view(
                               bytes ? bytes : "",
                               static_cast<std::size_t>(sqlite3_column_bytes(statement, k))));
            for (char& c : hex)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return "\\x" + hex;
        }
        default: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, k));
            return std::string(text ? text : "",
                               static_cast<std::size_t>(sqlite3_column_bytes(statement, k)));
        }
        }
    }

    std::unique_ptr<sqlite3_stmt, SqliteTarget::Closer> statement_;
};

} // namespace

std::unique_ptr<StoredRows> SqliteTarget::storedRows(const TablePlan& plan) {
    return std::make_unique<SqliteRows>(db_.get(), plan.name, rowsBefore_);
}

} // namespace tabrivel
