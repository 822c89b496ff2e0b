#include "TablePlan.h"

#include "DialectRules.h"
#include "NameFit.h"
#include "engine/NameText.h"
#include "engine/SqlText.h"

#include <algorithm>
#include <set>

namespace tabrivel {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Field names made unique without regard to case (most databases ignore it): a second
// NAME becomes NAME_2, a third NAME_3, skipping any that the table already uses.
// Names are compared as they will be written: two that differ only in what cannot stand
// in a name (A<tab>B, A<newline>B) are one name there.
// The column that says whether a record is deleted keeps its name whatever the fields are
// called: a field of that name is the one told apart.
std::vector<std::string> UniqueNames(std::span<const FieldDescription> fields,
                                     std::string_view opening, bool deletedColumn) {
    std::vector<std::string> names;
    std::set<std::string> taken;
    if (deletedColumn) {
        taken.insert(std::string(kDeletedField));
        fields = fields.first(fields.size() - 1);
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string wanted = fields[i].name.empty() ? "fld" + std::to_string(i + 1)
                                                          : CleanNamePart(fields[i].name, opening);
        std::string name = wanted;
        for (int suffix = 2; taken.contains(Lower(name)); ++suffix)
            name = wanted + "_" + std::to_string(suffix);
        taken.insert(Lower(name));
        names.push_back(std::move(name));
    }
    if (deletedColumn)
        names.emplace_back(kDeletedField);
    return names;
}

struct Quotes {
    std::string opening;
    std::string closing;
};

Quotes QuotesFor(const ConversionOptions& options, const LoadOptions& load) {
    if (load.delimiterGiven || load.dialect == Dialect::Window)
        return {options.delimiter, ClosingDelimiterFor(options.delimiter)};
    const DialectRules& rules = RulesOf(load.dialect);
    return {std::string(rules.opening), std::string(rules.closing)};
}

bool IsVarchar(const PlannedColumn& column) {
    return column.type.starts_with("varchar(");
}

// What a column takes inside an InnoDB row at most. A variable-length value that may pass
// 255 bytes, and any text or blob, can leave the page for a 40-byte reference; a shorter
// varchar counts whole, at four bytes a character.
long InlineBytes(const PlannedColumn& column) {
    constexpr long kReference = 40;
    if (IsVarchar(column)) {
        const long bytes = 4L * column.field.length + 2;
        return bytes > 255 ? kReference : bytes;
    }
    if (column.type.starts_with("numeric") || column.type.starts_with("decimal"))
        return 33; // 65 digits, nine to four bytes
    if (column.field.kind == FieldKind::Character || column.field.kind == FieldKind::Memo ||
        column.field.kind == FieldKind::Binary)
        return kReference;
    return 8;
}

// MySQL refuses a table whose varchar columns could need more than 65,535 bytes, and
// InnoDB one whose row could not fit half a page (8,126 bytes): such a table keeps its
// widest character fields in longtext columns, which leave the row, until it fits.
void FitMySqlRow(std::vector<PlannedColumn>& columns) {
    constexpr long kRowLimit = 65'535 - 1'024; // room for the other columns
    constexpr long kInlineLimit = 8'126 - 126; // room for the row's own headers
    long varcharBytes = 0;
    for (const PlannedColumn& column : columns)
        if (IsVarchar(column))
            varcharBytes += 4L * column.field.length + 2;
    if (varcharBytes > kRowLimit) {
        for (PlannedColumn& column : columns)
            if (IsVarchar(column))
                column.type = "longtext";
        return;
    }
    long inline_ = 0;
    for (const PlannedColumn& column : columns)
        inline_ += InlineBytes(column);
    while (inline_ > kInlineLimit) {
        PlannedColumn* widest = nullptr;
        for (PlannedColumn& column : columns)
            if (IsVarchar(column) && InlineBytes(column) > 40 &&
                (!widest || column.field.length > widest->field.length))
                widest = &column;
        if (!widest)
            return;
        inline_ -= InlineBytes(*widest) - 40;
        widest->type = "longtext";
    }
}

// Under a dialect, a name is cut to what its database takes, and the user is told.
void FitInto(std::string& plain, std::string& written, const Quotes& quotes,
             const LoadOptions& load, std::vector<std::string>& shortened) {
    const FittedName fitted = FitName(plain, quotes.opening, quotes.closing, RulesOf(load.dialect));
    if (fitted.shortened)
        shortened.push_back("the name \"" + ValidUtf8(plain) +
                            "\" is longer than the database takes; written as " + fitted.written);
    plain = fitted.plain;
    written = fitted.written;
}

// The table's name before it is quoted: the one given, the table's own (with the
// table-name option in front when that was given too), or the window's T_base.
std::string PlainTableName(std::string_view baseName, const ConversionOptions& options,
                           const LoadOptions& load) {
    if (!load.table.empty())
        return load.table;
    if (load.names && !load.tableNameGiven)
        return std::string(baseName);
    return options.tableName + "_" + std::string(baseName);
}

// PostgreSQL folds the names a query does not quote to lower case: names stored so can be
// queried without quotes. Only ASCII letters fold, as they do there.
std::string Folded(std::string name, const LoadOptions& load) {
    if (load.foldCase)
        for (char& c : name)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
    return name;
}

} // namespace

TablePlan PlanTable(std::string_view baseName, std::span<const FieldDescription> fields,
                    const ConversionOptions& options, const LoadOptions& load) {
    const Quotes quotes = QuotesFor(options, load);
    TablePlan plan;
    plan.plainName = Folded(PlainTableName(baseName, options, load), load);
    plan.name = QuotedName(quotes.opening, quotes.closing, plan.plainName);
    if (load.dialect != Dialect::Window)
        FitInto(plan.plainName, plan.name, quotes, load, plan.shortenedNames);
    if (!load.schema.empty()) {
        plan.schema = QuotedName(quotes.opening, quotes.closing, Folded(load.schema, load));
        plan.name = plan.schema + "." + plan.name;
    }
    const std::vector<std::string> names =
        UniqueNames(fields, quotes.opening, options.open.deleted);
    const std::string_view untyped = RulesOf(load.dialect).untypedColumn;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        PlannedColumn column;
        column.plainName = load.names ? Folded(names[i], load) : "fld" + std::to_string(i + 1);
        // Generated names hold nothing to escape: the window writes them as they are.
        column.name = load.names ? QuotedName(quotes.opening, quotes.closing, column.plainName)
                                 : quotes.opening + column.plainName + quotes.closing;
        if (load.dialect != Dialect::Window)
            FitInto(column.plainName, column.name, quotes, load, plan.shortenedNames);
        column.type = load.types ? ColumnType(load.dialect, fields[i]) : std::string(untyped);
        column.field = fields[i];
        plan.columns.push_back(std::move(column));
    }
    if (load.types && load.dialect == Dialect::MySql)
        FitMySqlRow(plan.columns);
    return plan;
}

std::string CreateTableText(const TablePlan& plan) {
    std::string out = "CREATE TABLE " + plan.name + " (";
    for (const PlannedColumn& column : plan.columns)
        out += column.name + " " + column.type + ",";
    if (out.back() == ',')
        out.pop_back();
    out.push_back(')');
    return out;
}

} // namespace tabrivel
