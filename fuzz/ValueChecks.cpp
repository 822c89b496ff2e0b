#include "ValueChecks.h"

#include <cstddef>

namespace tabrivel::fuzz {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Matches `text` against a pattern where '9' stands for any digit.
bool MatchesDigits(std::string_view text, std::string_view pattern) {
    if (text.size() != pattern.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (pattern[i] == '9' ? !IsDigit(text[i]) : text[i] != pattern[i])
            return false;
    }
    return true;
}

std::size_t SkipDigits(std::string_view text, std::size_t at) {
    while (at < text.size() && IsDigit(text[at]))
        ++at;
    return at;
}

bool IsCanonicalDecimal(std::string_view text) {
    std::size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
    const std::size_t digitsEnd = SkipDigits(text, at);
    if (digitsEnd == at)
        return false;
    if (digitsEnd == text.size())
        return true;
    if (text[digitsEnd] != '.')
        return false;
    const std::size_t fractionEnd = SkipDigits(text, digitsEnd + 1);
    return fractionEnd > digitsEnd + 1 && fractionEnd == text.size();
}

// The length of the sequence a lead byte starts and the smallest code point it may
// carry; 0 for a byte that cannot lead.
std::size_t SequenceLength(unsigned char lead, char32_t& minimum) {
    if (lead < 0x80) {
        minimum = 0;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        minimum = 0x80;
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        minimum = 0x800;
        return 3;
    }
    if ((lead & 0xF8) == 0xF0) {
        minimum = 0x10000;
        return 4;
    }
    return 0;
}

} // namespace

bool IsUtf8(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        char32_t minimum = 0;
        const std::size_t length = SequenceLength(lead, minimum);
        if (length == 0 || at + length > text.size())
            return false;
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[at + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        at += length;
    }
    return true;
}

bool HasPromisedForm(const Value& value) {
    switch (value.type) {
    case ValueType::Null:
        return value.text.empty();
    case ValueType::Text:
        return IsUtf8(value.text);
    case ValueType::Number:
        return IsCanonicalDecimal(value.text);
    case ValueType::Date:
        return MatchesDigits(value.text, "9999-99-99");
    case ValueType::DateTime:
        return MatchesDigits(value.text, "9999-99-99 99:99:99");
    case ValueType::Logical:
        return value.text == "True" || value.text == "False";
    case ValueType::Binary:
        return true;
    }
    return false;
}

} // namespace tabrivel::fuzz
