#include "engine/dbf/NumberText.h"

#include "engine/dbf/AsciiScan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>

namespace tabrivel::dbf {
namespace {

// Exponents beyond this are not what a table's numeric field means; such text is
// kept as text rather than expanded into a page of zeros.
constexpr int kMaxExponent = 400;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view TakeDigits(std::string_view& text) {
    std::size_t count = 0;
    while (count < text.size() && IsDigit(text[count]))
        ++count;
    const auto digits = text.substr(0, count);
    text.remove_prefix(count);
    return digits;
}

struct Decimal {
    bool negative = false;
    std::string_view whole;
    std::string_view fraction;
    int exponent = 0;
};

bool ParseExponent(std::string_view text, int& exponent) {
    if (text.empty())
        return true;
    if (text.front() != 'e' && text.front() != 'E')
        return false;
    text.remove_prefix(1);
    // One sign at most: "1e+-5" is no number.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || !IsDigit(text.front()))
            return false;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), exponent);
    return error == std::errc{} && end == text.data() + text.size() &&
           std::abs(exponent) <= kMaxExponent;
}

bool ParseDecimal(std::string_view text, Decimal& number) {
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        number.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    number.whole = TakeDigits(text);
    if (!text.empty() && text.front() == '.') {
        text.remove_prefix(1);
        number.fraction = TakeDigits(text);
    }
    if (number.whole.empty() && number.fraction.empty())
        return false;
    return ParseExponent(text, number.exponent);
}

void WriteParts(bool negative, std::string_view whole, std::string_view fraction,
                std::string& out) {
    whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
    fraction = fraction.substr(0, fraction.find_last_not_of('0') + 1);
    if (negative && !(whole.empty() && fraction.empty()))
        out.push_back('-');
    out.append(whole.empty() ? std::string_view("0") : whole);
    if (!fraction.empty())
        out.append(".").append(fraction);
}

// Writes the digits with the decimal point moved `exponent` places to the right.
void WriteShifted(const Decimal& number, std::string& out) {
    if (number.exponent == 0) {
        WriteParts(number.negative, number.whole, number.fraction, out);
        return;
    }
    std::string digits;
    digits.append(number.whole).append(number.fraction);
    long point = static_cast<long>(number.whole.size()) + number.exponent;
    if (point < 0) {
        digits.insert(0, static_cast<std::size_t>(-point), '0');
        point = 0;
    }
    if (point > static_cast<long>(digits.size()))
        digits.append(static_cast<std::size_t>(point) - digits.size(), '0');
    const auto split = static_cast<std::size_t>(point);
    WriteParts(number.negative, std::string_view(digits).substr(0, split),
               std::string_view(digits).substr(split), out);
}

// Whether the text already is its own canonical decimal: [-]digits[.digits], no sign on
// zero, no leading zero before another digit, no trailing fractional zero. Most stored
// numbers are, and are then handed on as they are.
bool IsCanonicalAsStored(std::string_view text, const Decimal& number) {
    // A '+', a bare point or an exponent is text that the canonical form leaves out.
    const std::size_t canonicalLength = (number.negative ? 1 : 0) + number.whole.size() +
                                        (number.fraction.empty() ? 0 : 1 + number.fraction.size());
    if (canonicalLength != text.size() || number.whole.empty())
        return false;
    if (number.whole.size() > 1 && number.whole.front() == '0')
        return false;
    if (!number.fraction.empty() && number.fraction.back() == '0')
        return false;
    return !(number.negative && number.whole == "0" && number.fraction.empty());
}

} // namespace

std::string_view TrimPadding(std::string_view raw) {
    const auto isPadding = [](char c) {
        return c == ' ' || c == '\0';
    };
    std::size_t first = 0;
    std::size_t last = raw.size();
    if constexpr (std::endian::native == std::endian::little) {
        // Numbers stand right-aligned behind a row of blanks: eight at a time. A byte is
        // padding exactly when nothing but its 0x20 bit may be set.
        constexpr std::uint64_t kNotPadding = 0xDFDF'DFDF'DFDF'DFDFu;
        for (; last - first >= 8; first += 8) {
            const std::uint64_t word = ascii_scan::Word(raw.data() + first) & kNotPadding;
            if (word != 0) {
                first += static_cast<std::size_t>(std::countr_zero(word)) / 8;
                break;
            }
        }
        for (; last - first >= 8; last -= 8) {
            const std::uint64_t word = ascii_scan::Word(raw.data() + last - 8) & kNotPadding;
            if (word != 0) {
                last -= static_cast<std::size_t>(std::countl_zero(word)) / 8;
                break;
            }
        }
    }
    while (first < last && isPadding(raw[first]))
        ++first;
    while (last > first && isPadding(raw[last - 1]))
        --last;
    return raw.substr(first, last - first);
}

NumberForm CanonicalDecimal(std::string_view raw, std::string& out, std::string_view& canonical) {
    const auto text = TrimPadding(raw);
    // Overflow marks: the field was too narrow for the number.
    if (text.empty() ||
        (text.front() == '*' && text.find_first_not_of('*') == std::string_view::npos))
        return NumberForm::Empty;
    Decimal number;
    if (!ParseDecimal(text, number))
        return NumberForm::NotANumber;
    if (IsCanonicalAsStored(text, number)) {
        canonical = text;
        return NumberForm::Number;
    }
    const std::size_t start = out.size();
    WriteShifted(number, out);
    canonical = std::string_view(out).substr(start);
    return NumberForm::Number;
}

void AppendInteger(std::int64_t value, std::string& out) {
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void AppendScaled(std::int64_t value, int scale, std::string& out) {
    // Work on the magnitude as unsigned so the most negative value has one too.
    const bool negative = value < 0;
    std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    // Written backwards from the end of one buffer, appended once: the fraction's digits
    // without its trailing zeros, the point if any digit stands after it, the whole
    // digits, the sign.
    char text[48];
    char* const end = text + sizeof text;
    char* from = end;
    for (int i = 0; i < scale; ++i, magnitude /= 10) {
        const auto digit = static_cast<char>('0' + magnitude % 10);
        if (from != end || digit != '0')
            *--from = digit;
    }
    if (from != end)
        *--from = '.';
    do {
        *--from = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative)
        *--from = '-';
    out.append(from, end);
}

bool AppendDouble(double value, std::string& out) {
    if (!std::isfinite(value))
        return false;
    if (value == 0)
        value = 0; // no "-0"
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed);
    out.append(buffer.data(), result.ptr);
    return true;
}

} // namespace tabrivel::dbf
