#include "ScriptTarget.h"

#include "DialectRules.h"
#include "ScriptLiterals.h"
#include "engine/SqlText.h"
#include "engine/ValuePieces.h"

namespace tabrivel {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

} // namespace

ScriptTarget::ScriptTarget(ScriptSink& sink, const ConversionOptions& options,
                           const LoadOptions& load)
    : sink_(sink), options_(options), load_(load), terminator_(options.semicolon ? ";" : "") {
    load_.backQuoteValues = load.dialect == Dialect::Window &&
                            LiteralRulesFor(options.delimiter) == LiteralRules::MySql;
}

void ScriptTarget::writeStatement(std::string_view text) {
    std::string& out = sink_.buffer();
    out += text;
    out += terminator_;
    out += kLineEnd;
}

void ScriptTarget::beginScript() {
    // psql reads the rows of a COPY that failed (a table that exists already) as
    // statements, one error each: it stops at the first error instead.
    if (const std::string_view stop = RulesOf(load_.dialect).stopOnError;
        !stop.empty() && (load_.stopOnError || load_.copy))
        sink_.buffer().append(stop).append(kLineEnd);
    if (const std::string_view preamble = RulesOf(load_.dialect).preamble; !preamble.empty())
        writeStatement(preamble);
}

ScriptSink* ScriptTarget::beginWindowTable() {
    if (!load_.windowForm())
        return nullptr;
    ++tablesBegun_;
    return &sink_;
}

void ScriptTarget::beginTable(const TablePlan& plan) {
    ++tablesBegun_;
    const DialectRules& rules = RulesOf(load_.dialect);
    // Before the table's transaction: MySQL commits a transaction at CREATE DATABASE.
    if (!plan.schema.empty() && !rules.createSchema.empty())
        writeStatement(std::string(rules.createSchema) + plan.schema);
    if (load_.transaction)
        writeStatement(rules.begin);
    if (load_.existing == ExistingTable::Replace)
        writeStatement("DROP TABLE IF EXISTS " + plan.name);
    if (options_.createTable)
        writeStatement(CreateTableText(plan));
    if (load_.copy && load_.rows)
        writeStatement("COPY " + plan.name + " FROM stdin");
    continueTable(plan, 0);
}

// The rows before this part filled some of the INSERT in hand: this part goes on with it,
// so that each INSERT holds the rows it holds when one thread writes the table.
void ScriptTarget::continueTable(const TablePlan& plan, std::uint64_t rowsBefore) {
    if (!load_.copy)
        insertPrefix_ = "INSERT INTO " + plan.name + " VALUES ";
    pendingRows_ = static_cast<int>(rowsBefore % static_cast<std::uint64_t>(load_.batch));
}

void ScriptTarget::addRow(std::span<const Cell> cells) {
    std::string& out = sink_.buffer();
    if (load_.copy) {
        for (const Cell& cell : cells) {
            appendCell(cell);
            out.push_back('\t');
        }
        if (!cells.empty())
            out.pop_back();
        out += kLineEnd;
        sink_.maybeFlush();
        return;
    }
    out += pendingRows_ == 0 ? std::string_view(insertPrefix_) : std::string_view(",");
    out.push_back('(');
    for (const Cell& cell : cells) {
        appendCell(cell);
        out.push_back(',');
    }
    if (out.back() == ',')
        out.pop_back();
    out.push_back(')');
    if (++pendingRows_ == load_.batch)
        flushRows();
}

void ScriptTarget::appendCell(const Cell& cell) {
    std::string& out = sink_.buffer();
    if (!cell.pieces) {
        if (load_.copy)
            AppendCopyField(out, cell, load_);
        else
            AppendSqlLiteral(out, cell, load_);
        return;
    }
    // Each piece goes out as soon as the buffer is full, so a memo of hundreds of
    // megabytes costs its pieces, not its whole text, whatever the row around it.
    AppendCellInPieces(out, cell, load_, [this] { sink_.maybeFlush(); });
}

void ScriptTarget::flushRows() {
    if (pendingRows_ == 0)
        return;
    std::string& out = sink_.buffer();
    out += terminator_;
    out += kLineEnd;
    pendingRows_ = 0;
    sink_.maybeFlush();
}

void ScriptTarget::endTable() {
    if (load_.copy && load_.rows)
        sink_.buffer().append("\\.").append(kLineEnd);
    flushRows();
    if (load_.transaction)
        writeStatement("COMMIT");
    sink_.maybeFlush();
}

void ScriptTarget::finish() {
    sink_.commit();
}

} // namespace tabrivel
