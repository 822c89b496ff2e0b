#include "engine/NameText.h"

#include <QChar>

namespace tabrivel {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct CodePoint {
    char32_t value = kReplacement;
    std::size_t length = 1; // bytes taken; an undecodable byte is taken alone
};

// One UTF-8 sequence at the start of `text`. Overlong forms, surrogates and values past
// U+10FFFF are undecodable, as the Unicode standard says.
CodePoint DecodeAt(std::string_view text) {
    const auto byte = [&text](std::size_t i) {
        return static_cast<unsigned char>(text[i]);
    };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, least = 0x10000;
    } else {
        return {};
    }
    if (text.size() < length)
        return {};
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return {};
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {};
    return {value, length};
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Never part of a name in any form: a control character, and the backslash, with which
// psql and mysql start a command of their own wherever they do not take the delimiters
// for quotes (psql reads `...` and [...] as plain text).
bool NeverInAName(char32_t c) {
    return c < 32 || c == 127 || c == '\\';
}

bool IsWordCharacter(char32_t c) {
    return c == '_' || QChar::isLetter(c) || QChar::isDigit(c);
}

bool EndsInNonAscii(const std::string& out) {
    return !out.empty() && (static_cast<unsigned char>(out.back()) & 0x80) != 0;
}

// MySQL's clients and server, reading a script in GBK, Big5 or Shift-JIS, take a back-quote
// right after a byte above 0x7F as the second half of one character, so the name would not
// end where it seems to: a "_" in between keeps the back-quote a back-quote.
void AppendQuote(std::string& out, std::string_view quote) {
    if (quote == "`" && EndsInNonAscii(out))
        out.push_back('_');
    out += quote;
}

} // namespace

bool EnclosesNames(std::string_view opening) {
    return opening == "\"" || opening == "'" || opening == "`" || opening == "[";
}

void AppendNamePart(std::string& out, std::string_view part, std::string_view opening,
                    std::string_view closing) {
    const std::string clean = CleanNamePart(part, opening);
    if (!EnclosesNames(opening)) {
        out += clean;
        return;
    }
    // The identifier quotes are one ASCII character each: a byte of the clean name that
    // equals one is that character.
    for (const char c : clean) {
        if (closing.size() == 1 && c == closing[0])
            AppendQuote(out, closing);
        out.push_back(c);
    }
}

void AppendNameEnd(std::string& out, std::string_view closing) {
    if (closing == "`") {
        AppendQuote(out, closing);
        return;
    }
    for (const char c : closing)
        if (c != '\0') // a delimiter read from damaged settings
            out.push_back(c);
}

std::string CleanNamePart(std::string_view part, std::string_view opening) {
    std::string clean;
    const bool enclosed = EnclosesNames(opening);
    while (!part.empty()) {
        const CodePoint c = DecodeAt(part);
        part.remove_prefix(c.length);
        if (NeverInAName(c.value) || (!enclosed && !IsWordCharacter(c.value)))
            clean.push_back('_');
        else
            AppendUtf8(clean, c.value);
    }
    return clean;
}

std::string ValidUtf8(std::string_view text) {
    std::string valid;
    valid.reserve(text.size());
    while (!text.empty()) {
        const CodePoint c = DecodeAt(text);
        AppendUtf8(valid, c.value);
        text.remove_prefix(c.length);
    }
    return valid;
}

} // namespace tabrivel
