#pragma once

#include "LoadOptions.h"
#include "TableTarget.h"

#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tabrivel {

// Writes each table straight into an SQLite database: one transaction per table and
// one prepared INSERT, values bound as the script would have written them.
class SqliteTarget final : public TableTarget {
public:
    // Throws TargetError when the database cannot be opened.
    SqliteTarget(const std::string& path, const LoadOptions& load, bool replace);
    ~SqliteTarget() override;

    void beginTable(const TablePlan& plan) override;
    void addRow(std::span<const Cell> cells) override;
    void endTable() override;
    void finish() override;

private:
    void execute(const std::string& sql);
    bool tableExists(const std::string& name);
    void bind(int index, const Cell& cell);
    void rollBack();
    [[noreturn]] void fail(const std::string& doing);

    struct Closer {
        void operator()(sqlite3* db) const;
        void operator()(sqlite3_stmt* statement) const;
    };
    std::unique_ptr<sqlite3, Closer> db_;
    std::unique_ptr<sqlite3_stmt, Closer> insert_;
    LoadOptions load_;
    bool replace_;
    static Cell Whole(const Cell& cell, std::string& into);

    std::string scratch_;
    std::vector<std::string> wholes_; // memos in pieces, joined for the row being bound
};

} // namespace tabrivel
