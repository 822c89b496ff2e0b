#include "TableVerify.h"

#include "engine/ValuePieces.h"
#include "engine/ValueText.h"

#include <cctype>
#include <charconv>
#include <optional>
#include <vector>

namespace tabrivel {
namespace {

using StoredCell = std::optional<std::string>;

std::string WithoutNul(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (const char c : text)
        if (c != '\0')
            kept.push_back(c);
    return kept;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The digits of a decimal without its sign's plus, leading zeros of the whole part or
// trailing zeros of the fraction, so that 012.50 and 12.5 read the same.
std::optional<std::string> PlainDecimal(std::string_view text) {
    std::string sign;
    if (text.starts_with('-') || text.starts_with('+')) {
        sign = text.starts_with('-') ? "-" : "";
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    std::string_view whole = text.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    const auto digits = [](std::string_view part) {
        return part.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if ((whole.empty() && fraction.empty()) || !digits(whole) || !digits(fraction))
        return std::nullopt;
    while (whole.size() > 1 && whole.front() == '0')
        whole.remove_prefix(1);
    while (fraction.ends_with('0'))
        fraction.remove_suffix(1);
    std::string plain = std::string(whole.empty() ? "0" : whole);
    if (!fraction.empty())
        plain += "." + std::string(fraction);
    return plain == "0" ? plain : sign + plain;
}

bool SameNumber(std::string_view a, std::string_view b) {
    const auto plainA = PlainDecimal(a), plainB = PlainDecimal(b);
    if (plainA && plainB)
        return *plainA == *plainB;
    double x = 0, y = 0;
    const auto readA = std::from_chars(a.data(), a.data() + a.size(), x);
    const auto readB = std::from_chars(b.data(), b.data() + b.size(), y);
    return readA.ec == std::errc() && readB.ec == std::errc() && x == y;
}

bool SameLogical(bool truth, std::string_view stored) {
    const std::string lower = Lower(std::string(stored));
    return truth ? (lower == "t" || lower == "1" || lower == "true")
                 : (lower == "f" || lower == "0" || lower == "false");
}

std::string Whole(const Cell& cell) {
    if (!cell.pieces)
        return std::string(cell.text);
    std::string whole;
    cell.pieces->forEach([&whole](std::string_view piece) { whole += piece; });
    return whole;
}

// What the database must give back for a cell, compared by the cell's kind.
bool Matches(const Cell& cell, const StoredCell& stored, bool nullIsNull, bool typed) {
    switch (cell.kind) {
    case Cell::Kind::Null:
    case Cell::Kind::Mismatch:
        return nullIsNull ? !stored : stored && stored->empty();
    case Cell::Kind::Text: {
        const std::string whole = Whole(cell);
        if (stored && whole.find('\0') != std::string::npos && stored->starts_with("\\x")) {
            std::string hex; // a text holding NUL, stored as its bytes
            AppendHex(hex, whole);
            return *stored == "\\x" + Lower(hex);
        }
        return stored && *stored == WithoutNul(whole);
    }
    case Cell::Kind::Formed:
        return stored && (*stored == cell.text || SameNumber(cell.text, *stored));
    case Cell::Kind::Logical:
        return stored && (typed ? SameLogical(cell.truth, *stored) : *stored == cell.text);
    case Cell::Kind::Binary: {
        std::string hex;
        AppendHex(hex, Whole(cell));
        return stored && (typed ? *stored == "\\x" + Lower(hex) : *stored == hex);
    }
    }
    return false;
}

std::string Shown(const StoredCell& cell) {
    if (!cell)
        return "NULL";
    constexpr std::size_t kLongest = 60;
    return "\"" + cell->substr(0, kLongest) + (cell->size() > kLongest ? "…" : "") + "\"";
}

std::string Expected(const Cell& cell) {
    if (cell.kind == Cell::Kind::Null || cell.kind == Cell::Kind::Mismatch)
        return "NULL";
    return Shown(WithoutNul(Whole(cell).substr(0, 61)));
}

} // namespace

Verification VerifyTable(TableSource& table, const TablePlan& plan, StoredRows& stored,
                         const CellMaker& cells, bool typed) {
    Verification verification;
    std::vector<std::string> scratch(plan.columns.size());
    std::vector<StoredCell> row;
    while (table.next()) {
        ++verification.rows;
        if (!stored.next(row) || row.size() != plan.columns.size()) {
            verification.difference =
                "record " + std::to_string(verification.rows) + " is missing from the database";
            return verification;
        }
        const auto values = table.values();
        for (std::size_t i = 0; i < plan.columns.size(); ++i) {
            const PlannedColumn& column = plan.columns[i];
            const Cell cell = cells.make(values[i], column, scratch[i]);
            if (!Matches(cell, row[i], cells.nullIsNull(column), typed)) {
                verification.difference = "record " + std::to_string(verification.rows) +
                                          ", field " + column.plainName + ": the table holds " +
                                          Expected(cell) + ", the database " + Shown(row[i]);
                return verification;
            }
        }
    }
    if (stored.next(row))
        verification.difference =
            "the database holds more rows than the table's " + std::to_string(verification.rows);
    return verification;
}

} // namespace tabrivel
