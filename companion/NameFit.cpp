#include "NameFit.h"

#include "engine/NameText.h"
#include "engine/SqlText.h"

#include <cstdint>
#include <cstdio>

namespace tabrivel {
namespace {

std::size_t CharacterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (const char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

// The length of the name the database sees: the written form without its delimiters.
std::size_t MeasuredLength(const std::string& written, std::string_view opening,
                           std::string_view closing, const DialectRules& rules) {
    const std::string_view inner = std::string_view(written).substr(
        opening.size(), written.size() - opening.size() - closing.size());
    return rules.nameLimitInBytes ? inner.size() : CharacterCount(inner);
}

std::string HashDigits(std::string_view name) {
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (const char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%012llx",
                  static_cast<unsigned long long>(hash & 0xFFFFFFFFFFFFull));
    return digits;
}

// The first `count` characters of valid UTF-8 text.
std::string_view FirstCharacters(std::string_view utf8, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t seen = 0; at < utf8.size(); ++at) {
        if ((static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80 && seen++ == count)
            break;
    }
    return utf8.substr(0, at);
}

} // namespace

FittedName FitName(std::string_view name, std::string_view opening, std::string_view closing,
                   const DialectRules& rules) {
    const std::string valid = ValidUtf8(name);
    FittedName fitted{valid, QuotedName(opening, closing, valid)};
    const auto limit = static_cast<std::size_t>(rules.nameLimit);
    if (limit == 0 || MeasuredLength(fitted.written, opening, closing, rules) <= limit)
        return fitted;
    const std::string suffix = "_" + HashDigits(name);
    for (std::size_t keep = CharacterCount(valid); keep-- > 0;) {
        fitted.plain = std::string(FirstCharacters(valid, keep)) + suffix;
        fitted.written = QuotedName(opening, closing, fitted.plain);
        if (MeasuredLength(fitted.written, opening, closing, rules) <= limit)
            break;
    }
    fitted.shortened = true;
    return fitted;
}

} // namespace tabrivel
