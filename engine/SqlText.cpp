#include "engine/SqlText.h"

#include "engine/MySqlText.h"
#include "engine/NameText.h"
#include "engine/ValuePieces.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace tabrivel {
namespace {

// No SQL engine accepts NUL inside a statement, so it never reaches one.
void AppendWithoutNul(std::string& out, std::string_view text) {
    for (char c : text) {
        if (c != '\0')
            out.push_back(c);
    }
}

void AppendColumnNumber(std::string& out, int number) {
    char digits[16];
    auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, end);
}

// Every list ends with a comma that the statement cuts before closing the list; a
// table without fields keeps its empty parentheses.
void CloseList(std::string& out, bool semicolon) {
    if (out.back() == ',')
        out.pop_back();
    out.push_back(')');
    if (semicolon)
        out.push_back(';');
}

} // namespace

std::string ClosingDelimiterFor(std::string_view opening) {
    if (opening == "(")
        return ")";
    if (opening == "[")
        return "]";
    if (opening == "{")
        return "}";
    if (opening == "<")
        return ">";
    return std::string(opening);
}

LiteralRules LiteralRulesFor(std::string_view opening) {
    return opening == "`" ? LiteralRules::MySql : LiteralRules::Standard;
}

std::string QualifiedTableName(std::string_view opening, std::string_view closing,
                               std::string_view tableName, std::string_view baseName) {
    std::string name;
    name.reserve(opening.size() + tableName.size() + baseName.size() + closing.size() + 1);
    AppendWithoutNul(name, opening);
    AppendNamePart(name, tableName, opening, closing);
    name.push_back('_');
    AppendNamePart(name, baseName, opening, closing);
    AppendNameEnd(name, closing);
    return name;
}

std::string QuotedName(std::string_view opening, std::string_view closing, std::string_view name) {
    std::string quoted;
    AppendWithoutNul(quoted, opening);
    AppendNamePart(quoted, name, opening, closing);
    AppendNameEnd(quoted, closing);
    return quoted;
}

std::string CreateTableStatement(std::string_view opening, std::string_view closing,
                                 std::string_view tableName, std::string_view baseName,
                                 int fieldCount, bool semicolon) {
    std::string out = "CREATE TABLE ";
    out += QualifiedTableName(opening, closing, tableName, baseName);
    out += " (";
    for (int k = 1; k <= fieldCount; ++k) {
        AppendWithoutNul(out, opening);
        out += "fld";
        AppendColumnNumber(out, k);
        AppendWithoutNul(out, closing);
        out += " text,";
    }
    CloseList(out, semicolon);
    return out;
}

std::string InsertStatement(std::string_view opening, std::string_view closing,
                            std::string_view tableName, std::string_view baseName,
                            std::span<const Value> values, bool semicolon,
                            const ValueFormat& format) {
    std::string out;
    AppendInsertStatement(out, QualifiedTableName(opening, closing, tableName, baseName), values,
                          semicolon, format, LiteralRulesFor(opening));
    return out;
}

namespace {

// A statement that carries a value in pieces is sized once before it is written, so
// that it never grows by doubling: a copy during growth would hold it twice.
void ReserveForPieces(std::string& out, std::string_view qualifiedName,
                      std::span<const Value> values) {
    if (std::none_of(values.begin(), values.end(), [](const Value& v) { return v.pieces; }))
        return;
    constexpr std::size_t kPunctuation = 32;
    std::size_t length = out.size() + qualifiedName.size() + kPunctuation;
    for (const Value& value : values)
        length += ValueTextLengthBound(value) + 4;
    out.reserve(length);
}

} // namespace

namespace {

constexpr std::string_view kInsertInto = "INSERT INTO ";
constexpr std::string_view kValues = " VALUES (";

// A value's text, written at `to`: nothing longer than twice its bytes and the format's
// room for a number or a date.
char* WriteValue(char* to, const Value& value, const ValueFormat& format) {
    switch (value.type) {
    case ValueType::Null:
        return to;
    case ValueType::Text:
        return value.literalAsIs ? CopyText(to, value.text) : WriteEscapedText(to, value.text);
    case ValueType::Binary:
        return WriteHex(to, value.text);
    case ValueType::Number:
        return format.writeNumber(to, value.text);
    case ValueType::Date:
        return format.writeDate(to, value.text);
    case ValueType::DateTime:
        return format.writeDateTime(to, value.text);
    case ValueType::Logical:
        break;
    }
    return CopyText(to, value.text);
}

// The statement written through a pointer into room made for it at once, so that each
// small piece costs a copy rather than a call that checks and grows the string. `room`
// counts, per value, twice its bytes, the apostrophes, the comma and a date-time's blank.
void AppendWholeInsert(std::string& out, std::size_t room, std::string_view qualifiedName,
                       std::span<const Value> values, bool semicolon, const ValueFormat& format) {
    room += kInsertInto.size() + qualifiedName.size() + kValues.size() + 2;
    if (const std::size_t dateRoom = format.dateRoom(), numberRoom = format.numberRoom();
        dateRoom + numberRoom > 0) {
        for (const Value& value : values) {
            if (value.type == ValueType::Number)
                room += numberRoom;
            else if (value.type == ValueType::Date || value.type == ValueType::DateTime)
                room += dateRoom;
        }
    }
    const std::size_t start = out.size();
    out.resize(start + room);
    char* to = CopyText(out.data() + start, kInsertInto);
    to = CopyText(to, qualifiedName);
    to = CopyText(to, kValues);
    for (const Value& value : values) {
        *to++ = '\'';
        to = WriteValue(to, value, format);
        *to++ = '\'';
        *to++ = ',';
    }
    // As CloseList: the last comma goes, a table without fields keeps its parentheses.
    if (to[-1] == ',')
        --to;
    *to++ = ')';
    if (semicolon)
        *to++ = ';';
    out.resize(static_cast<std::size_t>(to - out.data()));
}

} // namespace

namespace {

// A value by the rules MySQL reads back exactly. A memo in pieces is one literal whose
// body is written piece after piece; not scanned first, it always says it is UTF-8.
void AppendMySqlValue(std::string& out, const Value& value, const ValueFormat& format,
                      const std::function<void()>& pieceWritten) {
    if (value.pieces && value.type == ValueType::Text) {
        out += kMySqlUtf8Introducer;
        out.push_back('\'');
        MySqlTextWriter writer;
        value.pieces->forEach([&](std::string_view piece) {
            writer.append(out, piece);
            if (pieceWritten)
                pieceWritten();
        });
        out.push_back('\'');
        return;
    }
    if (value.type == ValueType::Text) {
        AppendMySqlLiteral(out, value.text);
        return;
    }
    if (value.type == ValueType::Binary) { // hexadecimal digits: nothing to escape
        out.push_back('\'');
        AppendValueText(out, value, format, &pieceWritten);
        out.push_back('\'');
        return;
    }
    // Numbers and dates in the user's locale, apostrophes already doubled.
    std::string text;
    AppendValueText(text, value, format);
    out += MySqlIntroducerFor(text);
    out.push_back('\'');
    MySqlTextWriter().appendDoubled(out, text);
    out.push_back('\'');
}

void AppendMySqlInsert(std::string& out, std::string_view qualifiedName,
                       std::span<const Value> values, bool semicolon, const ValueFormat& format,
                       const std::function<void()>& pieceWritten) {
    out += kInsertInto;
    out += qualifiedName;
    out += kValues;
    for (const Value& value : values) {
        AppendMySqlValue(out, value, format, pieceWritten);
        out.push_back(',');
    }
    CloseList(out, semicolon);
}

} // namespace

void AppendInsertStatement(std::string& out, std::string_view qualifiedName,
                           std::span<const Value> values, bool semicolon, const ValueFormat& format,
                           LiteralRules rules, const std::function<void()>& pieceWritten) {
    if (rules == LiteralRules::MySql) {
        AppendMySqlInsert(out, qualifiedName, values, semicolon, format, pieceWritten);
        return;
    }
    // One look at the values: whether any comes in pieces, and the room of those that do not.
    std::size_t room = 0;
    bool inPieces = false;
    for (const Value& value : values) {
        room += 2 * value.text.size() + 4;
        inPieces |= value.pieces != nullptr;
    }
    if (!inPieces) {
        AppendWholeInsert(out, room, qualifiedName, values, semicolon, format);
        return;
    }
    if (!pieceWritten)
        ReserveForPieces(out, qualifiedName, values);
    out += kInsertInto;
    out += qualifiedName;
    out += kValues;
    for (const Value& value : values) {
        out.push_back('\'');
        AppendValueText(out, value, format, &pieceWritten);
        out += "',";
    }
    CloseList(out, semicolon);
}

} // namespace tabrivel
