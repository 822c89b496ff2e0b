#pragma once

#include "LoadOptions.h"
#include "PostgresBinaryCopy.h"
#include "TableTarget.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct pg_conn;

namespace tabrivel {

// Loads each table straight into PostgreSQL through libpq: one transaction per table, the
// rows through COPY (in its binary form where the table's columns allow), so that no psql
// is needed and nothing is parsed twice.
class PostgresTarget final : public TableTarget {
public:
    // Connects with a libpq connection string or URI; throws TargetError when it cannot.
    PostgresTarget(const std::string& conninfo, LoadOptions load);
    ~PostgresTarget() override;

    void beginTable(const TablePlan& plan) override;
    void addRow(std::span<const Cell> cells) override;
    void endTable() override;
    void finish() override;
    std::unique_ptr<StoredRows> storedRows(const TablePlan& plan) override;

private:
    void execute(const std::string& sql);
    bool tableExists(const std::string& name);
    std::uint64_t rowCount(const std::string& table);
    void chooseForm(const TablePlan& plan);
    void appendCell(const Cell& cell);
    void addBinaryRow(std::span<const Cell> cells);
    void sendRows();
    void endCopy();
    void waitUntilSent();
    void rollBack();
    [[noreturn]] void fail(const std::string& doing);

    struct Closer {
        void operator()(pg_conn* connection) const;
    };
    std::unique_ptr<pg_conn, Closer> connection_;
    LoadOptions load_; // as COPY's text form writes the cells
    bool copying_ = false;
    bool binary_ = false;           // the table's rows go in COPY's binary form
    std::vector<BinaryWire> wires_; // each column's, in the binary form
    std::string rows_;              // rows not yet sent
    int unsentPieces_ = 0;          // sent to libpq, not yet to the server
    std::uint64_t rowsBefore_ = 0;  // in the table an append loads into
};

} // namespace tabrivel
