#pragma once

#include "LoadOptions.h"
#include "TableTarget.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tabrivel {

// Writes each table straight into an SQLite database: each table whole or not at all (a
// savepoint), the tables committed together about once a second and at the end, one
// prepared INSERT per table, values bound as the script would have written them.
class SqliteTarget final : public TableTarget {
public:
    // Throws TargetError when the database cannot be opened. A database that another
    // connection holds is waited for up to `busyTimeoutMs`.
    SqliteTarget(const std::string& path, LoadOptions load, int busyTimeoutMs);
    ~SqliteTarget() override;

    void beginTable(const TablePlan& plan) override;
    void addRow(std::span<const Cell> cells) override;
    void endTable() override;
    void finish() override;
    std::unique_ptr<StoredRows> storedRows(const TablePlan& plan) override;

    struct Closer {
        void operator()(sqlite3* db) const;
        void operator()(sqlite3_stmt* statement) const;
    };

private:
    void execute(const std::string& sql);
    bool tableExists(const std::string& name);
    std::uint64_t rowCount(const std::string& table);
    void bind(int index, const Cell& cell);
    void rollBack();
    void beginTableTransaction();
    void commitWhenDue(bool now);
    [[noreturn]] void fail(const std::string& doing);

    std::unique_ptr<sqlite3, Closer> db_;
    std::unique_ptr<sqlite3_stmt, Closer> insert_;
    LoadOptions load_;
    std::uint64_t rowsBefore_ = 0; // in the table an append loads into
    bool tableOpen_ = false;       // a table's savepoint is open
    std::chrono::steady_clock::time_point transactionBegun_;
    static Cell Whole(const Cell& cell, std::string& into);

    std::string scratch_;
    std::vector<std::string> wholes_; // memos in pieces, joined for the row being bound
};

} // namespace tabrivel
