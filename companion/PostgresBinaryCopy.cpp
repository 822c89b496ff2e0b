#include "PostgresBinaryCopy.h"

#include "TableTarget.h"
#include "engine/ValuePieces.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <limits>

namespace tabrivel {
namespace {

struct WireName {
    std::string_view type; // as CREATE TABLE names it; a trailing '(' takes any size
    BinaryWire wire;
};

constexpr std::array kWireNames{
    WireName{"varchar(", BinaryWire::Text},
    WireName{"text", BinaryWire::Text},
    WireName{"numeric", BinaryWire::Numeric},
    WireName{"numeric(", BinaryWire::Numeric},
    WireName{"integer", BinaryWire::Int4},
    WireName{"bigint", BinaryWire::Int8},
    WireName{"double precision", BinaryWire::Float8},
    WireName{"date", BinaryWire::Date},
    WireName{"timestamp", BinaryWire::Timestamp},
    WireName{"boolean", BinaryWire::Boolean},
    WireName{"bytea", BinaryWire::Bytea},
};

// Network byte order, as every number of the binary form; the end of what was written.
template <typename Number> char* PutBig(char* to, Number value) {
    using Bits = std::make_unsigned_t<Number>;
    const auto bits = static_cast<Bits>(value);
    for (int shift = 8 * static_cast<int>(sizeof(Bits)) - 8; shift >= 0; shift -= 8)
        *to++ = static_cast<char>((bits >> shift) & 0xFF);
    return to;
}

template <typename Number> void AppendBig(std::string& out, Number value) {
    char bytes[sizeof(Number)];
    out.append(bytes, PutBig(bytes, value));
}

void AppendLength(std::string& out, std::size_t length) {
    if (length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw TargetError("a value of " + std::to_string(length) +
                          " bytes is more than PostgreSQL stores in one field");
    AppendBig(out, static_cast<std::int32_t>(length));
}

[[noreturn]] void Unsendable(std::string_view text, const char* type) {
    throw TargetError("the value '" + std::string(text.substr(0, 64)) + "' cannot be sent as " +
                      type);
}

bool AllDigits(std::string_view text) {
    return text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Up to four decimal digits as one base-10000 digit, followed by `zeros` zeros; false
// when a character is no digit.
bool TakeGroup(std::string_view digits, std::size_t zeros, std::uint16_t& group) {
    unsigned value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    for (; zeros > 0; --zeros)
        value *= 10;
    group = static_cast<std::uint16_t>(value);
    return true;
}

// PostgreSQL's numeric: base-10000 digits around the point, a weight (the power of the
// first digit), a sign and the count of decimals shown. Made in one buffer, appended once.
void AppendNumeric(std::string& out, std::string_view text) {
    const std::string_view original = text;
    const bool negative = text.starts_with('-');
    if (negative)
        text.remove_prefix(1);
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    constexpr std::size_t kMostGroups = 256;
    if ((whole.empty() && fraction.empty()) || whole.size() + fraction.size() > 4 * kMostGroups - 8)
        Unsendable(original, "numeric");
    std::array<std::uint16_t, kMostGroups> groups; // filled up to `count`
    std::size_t count = 0;
    // Whole digits in groups of four counted back from the point, so the first group takes
    // what is left over; decimals in groups of four from the point, the last one filled up
    // with zeros.
    const std::size_t head = whole.size() % 4 == 0 ? 4 : whole.size() % 4;
    for (std::size_t at = 0, size = head; at < whole.size(); at += size, size = 4)
        if (!TakeGroup(whole.substr(at, size), 0, groups[count++]))
            Unsendable(original, "numeric");
    const std::size_t wholeGroups = count;
    for (std::size_t at = 0; at < fraction.size(); at += 4) {
        const std::string_view part = fraction.substr(at, 4);
        if (!TakeGroup(part, 4 - part.size(), groups[count++]))
            Unsendable(original, "numeric");
    }
    std::size_t first = 0;
    while (first < count && groups[first] == 0)
        ++first;
    while (count > first && groups[count - 1] == 0)
        --count;
    const std::size_t digits = count - first;
    const int weight =
        digits == 0 ? 0 : static_cast<int>(wholeGroups) - 1 - static_cast<int>(first);
    std::array<char, 12 + 2 * kMostGroups> bytes; // written up to `to`
    char* to = PutBig(bytes.data(), static_cast<std::int32_t>(8 + 2 * digits));
    to = PutBig(to, static_cast<std::int16_t>(digits));
    to = PutBig(to, static_cast<std::int16_t>(weight));
    to = PutBig(to, static_cast<std::uint16_t>(negative && digits > 0 ? 0x4000 : 0x0000));
    to = PutBig(to, static_cast<std::int16_t>(fraction.size()));
    for (std::size_t k = first; k < count; ++k)
        to = PutBig(to, groups[k]);
    out.append(bytes.data(), to);
}

template <typename Number> bool ParseWhole(std::string_view text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

void AppendInteger(std::string& out, std::string_view text, bool wide) {
    std::int64_t value = 0;
    if (!ParseWhole(text, value) || (!wide && (value < std::numeric_limits<std::int32_t>::min() ||
                                               value > std::numeric_limits<std::int32_t>::max())))
        Unsendable(text, wide ? "bigint" : "integer");
    if (wide) {
        AppendLength(out, 8);
        AppendBig(out, value);
    } else {
        AppendLength(out, 4);
        AppendBig(out, static_cast<std::int32_t>(value));
    }
}

void AppendFloat8(std::string& out, std::string_view text) {
    double value = 0;
    if (!ParseWhole(text, value))
        Unsendable(text, "double precision");
    AppendLength(out, 8);
    AppendBig(out, std::bit_cast<std::uint64_t>(value));
}

// Days from 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

// PostgreSQL counts days and microseconds from 2000-01-01.
constexpr std::int64_t kEpochDays = 10957;

// "yyyy-MM-dd" as days from the epoch; false for any other text.
bool ParseDate(std::string_view text, std::int64_t& days) {
    unsigned year = 0;
    unsigned month = 0;
    unsigned day = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
        !ParseWhole(text.substr(0, 4), year) || !ParseWhole(text.substr(5, 2), month) ||
        !ParseWhole(text.substr(8, 2), day) || month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    days = DaysFromCivil(year, month, day) - kEpochDays;
    return true;
}

void AppendDate(std::string& out, std::string_view text) {
    std::int64_t days = 0;
    if (!ParseDate(text, days))
        Unsendable(text, "date");
    AppendLength(out, 4);
    AppendBig(out, static_cast<std::int32_t>(days));
}

// "yyyy-MM-dd HH:mm:ss", with decimals of a second or without, as microseconds.
void AppendTimestamp(std::string& out, std::string_view text) {
    std::int64_t days = 0;
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
    std::string_view decimals = text.size() > 20 ? text.substr(20) : std::string_view();
    if (text.size() < 19 || text[10] != ' ' || text[13] != ':' || text[16] != ':' ||
        !ParseDate(text.substr(0, 10), days) || !ParseWhole(text.substr(11, 2), hour) ||
        !ParseWhole(text.substr(14, 2), minute) || !ParseWhole(text.substr(17, 2), second) ||
        (text.size() > 19 && (text[19] != '.' || decimals.empty() || !AllDigits(decimals))) ||
        hour > 23 || minute > 59 || second > 60)
        Unsendable(text, "timestamp");
    std::int64_t micro = 0;
    for (std::size_t k = 0; k < 6; ++k)
        micro = micro * 10 + (k < decimals.size() ? decimals[k] - '0' : 0);
    const std::int64_t seconds =
        days * 86400 + std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second;
    AppendLength(out, 8);
    AppendBig(out, seconds * 1'000'000 + micro);
}

// A text's bytes without its NULs, which PostgreSQL's text cannot hold (the reader
// reports them); the length counts what is sent.
std::size_t LengthWithoutNuls(std::string_view text) {
    return text.size() - static_cast<std::size_t>(std::count(text.begin(), text.end(), '\0'));
}

void AppendWithoutNuls(std::string& out, std::string_view text) {
    for (std::size_t start = 0;;) {
        const std::size_t nul = text.find('\0', start);
        out.append(text.substr(start, nul - start));
        if (nul == std::string_view::npos)
            return;
        start = nul + 1;
    }
}

void AppendText(std::string& out, std::string_view text) {
    if (text.find('\0') == std::string_view::npos) {
        AppendLength(out, text.size());
        out.append(text);
        return;
    }
    AppendLength(out, LengthWithoutNuls(text));
    AppendWithoutNuls(out, text);
}

void AppendBytes(std::string& out, std::string_view bytes) {
    AppendLength(out, bytes.size());
    out.append(bytes);
}

// A memo in pieces: its length first, so its pieces are gone through twice.
void AppendPieces(std::string& out, const Cell& cell, bool text,
                  const std::function<void()>& pieceWritten) {
    std::size_t length = 0;
    cell.pieces->forEach(
        [&](std::string_view piece) { length += text ? LengthWithoutNuls(piece) : piece.size(); });
    AppendLength(out, length);
    cell.pieces->forEach([&](std::string_view piece) {
        if (text)
            AppendWithoutNuls(out, piece);
        else
            out.append(piece);
        pieceWritten();
    });
}

void AppendFormed(std::string& out, std::string_view text, BinaryWire wire) {
    switch (wire) {
    case BinaryWire::Numeric:
        return AppendNumeric(out, text);
    case BinaryWire::Int4:
    case BinaryWire::Int8:
        return AppendInteger(out, text, wire == BinaryWire::Int8);
    case BinaryWire::Float8:
        return AppendFloat8(out, text);
    case BinaryWire::Date:
        return AppendDate(out, text);
    case BinaryWire::Timestamp:
        return AppendTimestamp(out, text);
    case BinaryWire::Text:
        return AppendText(out, text);
    case BinaryWire::Boolean:
    case BinaryWire::Bytea:
        break;
    }
    Unsendable(text, wire == BinaryWire::Boolean ? "boolean" : "bytea");
}

} // namespace

std::optional<BinaryWire> WireOfColumnType(std::string_view type) {
    for (const WireName& name : kWireNames) {
        const bool sized = name.type.ends_with('(');
        if (sized ? type.starts_with(name.type) && type.ends_with(')') : type == name.type)
            return name.wire;
    }
    return std::nullopt;
}

void AppendBinaryCopyHeader(std::string& out) {
    out.append("PGCOPY\n\xff\r\n\0", 11);
    AppendBig(out, std::int32_t{0}); // flags: no OIDs
    AppendBig(out, std::int32_t{0}); // no header extension
}

void AppendBinaryCopyEnd(std::string& out) {
    AppendBig(out, std::int16_t{-1});
}

void AppendBinaryRowStart(std::string& out, std::size_t fields) {
    AppendBig(out, static_cast<std::int16_t>(fields));
}

void AppendBinaryCell(std::string& out, const Cell& cell, BinaryWire wire,
                      const std::function<void()>& pieceWritten) {
    if (cell.pieces) {
        AppendPieces(out, cell, wire == BinaryWire::Text, pieceWritten);
        return;
    }
    switch (cell.kind) {
    case Cell::Kind::Null:
    case Cell::Kind::Mismatch:
        AppendBig(out, std::int32_t{-1});
        return;
    case Cell::Kind::Text:
        if (wire != BinaryWire::Text)
            Unsendable(cell.text, "anything but text");
        AppendText(out, cell.text);
        return;
    case Cell::Kind::Formed:
        AppendFormed(out, cell.text, wire);
        return;
    case Cell::Kind::Logical:
        if (wire == BinaryWire::Text) {
            AppendText(out, cell.truth ? "t" : "f");
            return;
        }
        if (wire != BinaryWire::Boolean)
            Unsendable(cell.text, "anything but boolean or text");
        AppendLength(out, 1);
        out.push_back(cell.truth ? '\1' : '\0');
        return;
    case Cell::Kind::Binary:
        if (wire != BinaryWire::Bytea)
            Unsendable("(bytes)", "anything but bytea");
        AppendBytes(out, cell.text);
        return;
    }
}

} // namespace tabrivel
