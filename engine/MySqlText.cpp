#include "engine/MySqlText.h"

#include <algorithm>

namespace tabrivel {
namespace {

bool IsNonAscii(char c) {
    return (static_cast<unsigned char>(c) & 0x80) != 0;
}

// The letter after the backslash of an escape; 0 for a byte written as it is.
char EscapeLetter(char c) {
    switch (c) {
    case '\\':
        return '\\';
    case '\r':
        return 'r';
    case '\n':
        return 'n';
    case '\0':
        return '0';
    case '\x1A':
        return 'Z';
    default:
        return 0;
    }
}

} // namespace

void MySqlTextWriter::appendByte(std::string& out, char c, bool doubleApostrophes) {
    if (const char letter = EscapeLetter(c)) {
        if (afterNonAscii_)
            out += "' '";
        out.push_back('\\');
        out.push_back(letter);
    } else {
        out.push_back(c);
        if (c == '\'' && doubleApostrophes)
            out.push_back('\'');
    }
    afterNonAscii_ = IsNonAscii(c);
}

void MySqlTextWriter::append(std::string& out, std::string_view text) {
    out.reserve(out.size() + text.size() + text.size() / 8 + 8);
    for (const char c : text)
        appendByte(out, c, true);
}

void MySqlTextWriter::appendDoubled(std::string& out, std::string_view text) {
    for (const char c : text)
        appendByte(out, c, false);
}

std::string_view MySqlIntroducerFor(std::string_view text) {
    return std::any_of(text.begin(), text.end(), IsNonAscii) ? kMySqlUtf8Introducer
                                                             : std::string_view();
}

void AppendMySqlLiteral(std::string& out, std::string_view text) {
    out += MySqlIntroducerFor(text);
    out.push_back('\'');
    MySqlTextWriter().append(out, text);
    out.push_back('\'');
}

} // namespace tabrivel
