#pragma once

#include "LoadOptions.h"
#include "ScriptSink.h"
#include "TableTarget.h"
#include "engine/Conversion.h"

namespace tabrivel {

// Writes each table as statements: CREATE TABLE, then INSERT statements of `batch`
// rows, or PostgreSQL's COPY form; a transaction around each table when asked.
class ScriptTarget final : public TableTarget {
public:
    ScriptTarget(ScriptSink& sink, const ConversionOptions& options, const LoadOptions& load);

    // The statement a dialect's script begins with, if any; before the first table.
    void beginScript();

    ScriptSink* beginWindowTable() override;
    void beginTable(const TablePlan& plan) override;
    void continueTable(const TablePlan& plan, std::uint64_t rowsBefore) override;
    void addRow(std::span<const Cell> cells) override;
    void endTable() override;
    void finish() override;

    // Whether any table got as far as its first statement.
    bool anyTableBegun() const { return tablesBegun_ > 0; }

private:
    void writeStatement(std::string_view text);
    void appendCell(const Cell& cell);
    void flushRows();

    ScriptSink& sink_;
    ConversionOptions options_;
    LoadOptions load_;
    std::string_view terminator_;
    std::string insertPrefix_; // "INSERT INTO name VALUES "
    int pendingRows_ = 0;
    int tablesBegun_ = 0;
};

} // namespace tabrivel
