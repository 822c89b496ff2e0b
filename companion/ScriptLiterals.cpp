#include "ScriptLiterals.h"

#include "DialectRules.h"
#include "engine/ValuePieces.h"
#include "engine/ValueText.h"

namespace tabrivel {
namespace {

// The sqlite3 shell reads a script line by line and drops the CR of every CR LF, also
// inside a literal; a text with a CR is written as its bytes in hexadecimal, cast back to
// text, one expression however many CRs it holds. A memo in pieces is not scanned first:
// it always takes that form.
bool TextAsHex(const Cell& cell, const LoadOptions& load) {
    return cell.kind == Cell::Kind::Text && !load.copy && !load.backQuoteValues &&
           RulesOf(load.dialect).carriageReturnsAsHex &&
           (cell.pieces || cell.text.find('\r') != std::string_view::npos);
}

// The text's bytes without its NULs, which no other form of a text carries either (the
// reader reports them).
void AppendTextAsHex(std::string& out, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t nul = text.find('\0'); nul != std::string_view::npos;
         nul = text.find('\0', start)) {
        AppendHex(out, text.substr(start, nul - start));
        start = nul + 1;
    }
    AppendHex(out, text.substr(start));
}

void AppendTextBody(std::string& out, std::string_view text, const LoadOptions& load,
                    MySqlTextWriter& mysql) {
    if (RulesOf(load.dialect).backslashEscapes || load.backQuoteValues)
        mysql.append(out, text);
    else
        AppendEscapedText(out, text);
}

LiteralFrame SqlFrame(const Cell& cell, const LoadOptions& load) {
    if (cell.kind == Cell::Kind::Binary)
        return load.types ? BinaryLiteralFrame(load.dialect) : LiteralFrame{"'", "'"};
    if (TextAsHex(cell, load))
        return {"CAST(X'", "' AS TEXT)"};
    // Views of fixed length: this runs for every value, and a choice between two
    // C strings would be measured with strlen each time.
    using namespace std::string_view_literals;
    if (load.backQuoteValues) {
        // No statement says the script is UTF-8: a text beyond ASCII says it itself. A
        // memo in pieces is not scanned first.
        const bool ascii = !cell.pieces && MySqlIntroducerFor(cell.text).empty();
        return {ascii ? "'"sv : "_utf8mb4'"sv, "'"sv};
    }
    return {RulesOf(load.dialect).unicodeLiterals ? "N'"sv : "'"sv, "'"sv};
}

void AppendFramed(std::string& out, const Cell& cell, const LoadOptions& load) {
    const LiteralFrame frame = CellFrame(cell, load);
    out += frame.open;
    MySqlTextWriter mysql;
    AppendCellBody(out, cell, cell.text, load, mysql);
    out += frame.close;
}

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('\'');
    out += text;
    out.push_back('\'');
}

void AppendCopyText(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
        case '\0':
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out.push_back(c);
        }
    }
}

} // namespace

void AppendSqlLiteral(std::string& out, const Cell& cell, const LoadOptions& load) {
    switch (cell.kind) {
    case Cell::Kind::Null:
    case Cell::Kind::Mismatch:
        out += "NULL";
        return;
    case Cell::Kind::Text:
    case Cell::Kind::Binary:
        AppendFramed(out, cell, load);
        return;
    case Cell::Kind::Formed:
        AppendQuoted(out, cell.text);
        return;
    case Cell::Kind::Logical:
        if (load.types)
            out += BooleanLiteral(load.dialect, cell.truth);
        else
            AppendQuoted(out, cell.text);
        return;
    }
}

void AppendCopyField(std::string& out, const Cell& cell, const LoadOptions& load) {
    switch (cell.kind) {
    case Cell::Kind::Null:
    case Cell::Kind::Mismatch:
        out += "\\N";
        return;
    case Cell::Kind::Text:
    case Cell::Kind::Formed:
        AppendCopyText(out, cell.text);
        return;
    case Cell::Kind::Logical:
        out += load.types ? (cell.truth ? "t" : "f") : cell.text;
        return;
    case Cell::Kind::Binary:
        AppendFramed(out, cell, load);
        return;
    }
}

LiteralFrame CellFrame(const Cell& cell, const LoadOptions& load) {
    if (!load.copy)
        return SqlFrame(cell, load);
    // bytea's hex input form; its backslash is itself escaped in the COPY text.
    if (cell.kind == Cell::Kind::Binary && load.types)
        return {"\\\\x", ""};
    return {};
}

void AppendCellBody(std::string& out, const Cell& cell, std::string_view piece,
                    const LoadOptions& load, MySqlTextWriter& mysql) {
    if (cell.kind == Cell::Kind::Binary)
        AppendHex(out, piece);
    else if (TextAsHex(cell, load))
        AppendTextAsHex(out, piece);
    else if (load.copy)
        AppendCopyText(out, piece);
    else
        AppendTextBody(out, piece, load, mysql);
}

void AppendCellInPieces(std::string& out, const Cell& cell, const LoadOptions& load,
                        const std::function<void()>& pieceWritten) {
    const LiteralFrame frame = CellFrame(cell, load);
    out += frame.open;
    MySqlTextWriter mysql; // one for all the pieces: an escape may follow a piece's end
    cell.pieces->forEach([&](std::string_view piece) {
        AppendCellBody(out, cell, piece, load, mysql);
        pieceWritten();
    });
    out += frame.close;
}

} // namespace tabrivel
