#include "LoadedCells.h"

#include "engine/ValueText.h"

#include <cstdlib>

namespace tabrivel::testing {
namespace {

bool HoldsText(FieldKind kind) {
    return kind == FieldKind::Character || kind == FieldKind::Memo;
}

// Standard literals cannot carry a NUL; MySQL's escapes can.
std::string TextAsLoaded(const std::string& text, bool trim, bool keepsNul) {
    std::string out;
    for (char c : text)
        if (c != '\0' || keepsNul)
            out.push_back(c);
    if (trim)
        out.erase(out.find_last_not_of(' ') + 1);
    return out;
}

ExpectedCell Expect(const OwnedValue& value, const FieldDescription& field,
                    const LoadOptions& load) {
    using Kind = ExpectedCell::Kind;
    const bool typed = load.types && !HoldsText(field.kind);
    if (value.type == ValueType::Null)
        return load.nulls || typed ? ExpectedCell{} : ExpectedCell{Kind::Exact, ""};
    if (load.types && value.type != ColumnValueType(field.kind))
        return {}; // reported and written as NULL
    switch (value.type) {
    case ValueType::Null:
        break;
    case ValueType::Text: {
        const bool trim = load.trim && field.kind == FieldKind::Character;
        const bool holdsNul = value.text.find('\0') != std::string::npos;
        return {Kind::Exact, TextAsLoaded(value.text, trim, load.dialect == Dialect::MySql),
                holdsNul ? TextAsLoaded(value.text, trim, true) : std::string()};
    }
    case ValueType::Number:
        return {load.types ? Kind::Number : Kind::Exact, value.text};
    case ValueType::Date:
    case ValueType::DateTime:
        return {Kind::Exact, value.text};
    case ValueType::Logical:
        return {load.types ? Kind::Logical : Kind::Exact, value.text};
    case ValueType::Binary:
        if (load.types)
            return {Kind::Binary, value.text};
        return {Kind::Exact, ValueText(Value::of(value.type, value.text), ValueFormat())};
    }
    return {};
}

// "-120.50" and "-120.5", "1e+300" and its long decimal form: the same number.
bool SameNumber(const std::string& a, const std::string& b) {
    char* endA = nullptr;
    char* endB = nullptr;
    const double x = std::strtod(a.c_str(), &endA);
    const double y = std::strtod(b.c_str(), &endB);
    return *endA == '\0' && *endB == '\0' && x == y;
}

std::string LowerHex(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char byte : bytes) {
        out.push_back(kHex[byte >> 4]);
        out.push_back(kHex[byte & 0x0F]);
    }
    return out;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool Matches(const ExpectedCell& expected, const std::optional<std::string>& stored) {
    using Kind = ExpectedCell::Kind;
    if (expected.kind == Kind::Null || !stored)
        return expected.kind == Kind::Null && !stored;
    switch (expected.kind) {
    case Kind::Null:
        break;
    case Kind::Exact:
        return *stored == expected.text ||
               (!expected.bytes.empty() && Lower(*stored) == LowerHex(expected.bytes));
    case Kind::Number:
        return SameNumber(*stored, expected.text);
    case Kind::Logical: {
        const std::string truth = Lower(*stored);
        const bool isTrue = truth == "t" || truth == "true" || truth == "1";
        const bool isFalse = truth == "f" || truth == "false" || truth == "0";
        return expected.text == "True" ? isTrue : isFalse;
    }
    case Kind::Binary: {
        const std::string_view hex = std::string_view(*stored).starts_with("\\x")
                                         ? std::string_view(*stored).substr(2)
                                         : std::string_view(*stored);
        return Lower(std::string(hex)) == LowerHex(expected.text);
    }
    }
    return false;
}

std::string Show(const std::optional<std::string>& stored) {
    return stored ? "\"" + *stored + "\"" : "NULL";
}

} // namespace

std::vector<std::vector<ExpectedCell>> ExpectedLoad(const std::filesystem::path& table,
                                                    const LoadOptions& load) {
    const auto source = OpenTable(table);
    const std::vector<FieldDescription> fields(source->fields().begin(), source->fields().end());
    std::vector<std::vector<ExpectedCell>> rows;
    for (const OwnedRecord& record : ReadAllRecords(table)) {
        rows.emplace_back();
        for (std::size_t i = 0; i < record.size(); ++i)
            rows.back().push_back(Expect(record[i], fields[i], load));
    }
    return rows;
}

std::string FirstMismatch(const std::vector<StoredRow>& stored,
                          const std::vector<std::vector<ExpectedCell>>& expected) {
    if (stored.size() != expected.size())
        return std::to_string(stored.size()) + " rows stored, " + std::to_string(expected.size()) +
               " read";
    for (std::size_t row = 0; row < expected.size(); ++row) {
        if (stored[row].size() != expected[row].size())
            return "row " + std::to_string(row + 1) + ": " + std::to_string(stored[row].size()) +
                   " columns stored, " + std::to_string(expected[row].size()) + " read";
        for (std::size_t column = 0; column < expected[row].size(); ++column) {
            const ExpectedCell& cell = expected[row][column];
            if (!Matches(cell, stored[row][column]))
                return "row " + std::to_string(row + 1) + ", column " + std::to_string(column + 1) +
                       ": stored " + Show(stored[row][column]) + ", expected " +
                       (cell.kind == ExpectedCell::Kind::Null ? "NULL" : "\"" + cell.text + "\"");
        }
    }
    return {};
}

std::vector<std::string> CommandLine(const LoadOptions& load) {
    static const char* const kDialects[] = {"", "sqlite", "postgresql", "mysql", "sqlserver"};
    std::vector<std::string> words;
    if (load.dialect != Dialect::Window)
        words = {"--dialect", kDialects[static_cast<int>(load.dialect)]};
    if (load.batch > 1)
        words.insert(words.end(), {"--batch", std::to_string(load.batch)});
    const std::pair<bool, const char*> flags[] = {{load.transaction, "--transaction"},
                                                  {load.nulls, "--null"},
                                                  {load.names, "--names"},
                                                  {load.types, "--types"},
                                                  {load.trim, "--trim"},
                                                  {load.iso, "--iso"},
                                                  {load.copy, "--copy"}};
    for (const auto& [on, word] : flags)
        if (on)
            words.push_back(word);
    return words;
}

std::vector<LoadOptions> EveryCombination(Dialect dialect, bool withCopy) {
    std::vector<LoadOptions> combinations;
    for (unsigned bits = 0; bits < (withCopy ? 256u : 128u); ++bits) {
        LoadOptions load;
        load.dialect = dialect;
        load.transaction = bits & 1;
        load.batch = bits & 2 ? 3 : 1;
        load.nulls = bits & 4;
        load.names = bits & 8;
        load.types = bits & 16;
        load.trim = bits & 32;
        load.iso = bits & 64;
        load.copy = bits & 128;
        if (!(load.copy && load.batch > 1))
            combinations.push_back(load);
    }
    return combinations;
}

} // namespace tabrivel::testing
