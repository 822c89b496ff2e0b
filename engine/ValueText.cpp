#include "engine/ValueText.h"

#include "engine/ValuePieces.h"

#include <QDate>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

namespace tabrivel {
namespace {

int Digits(std::string_view text, std::size_t at, std::size_t count) {
    int number = 0;
    for (std::size_t i = at; i < at + count && i < text.size(); ++i)
        number = number * 10 + (text[i] - '0');
    return number;
}

char* WritePadded(char* to, int number, int width) {
    char digits[12];
    int length = 0;
    do {
        digits[length++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number > 0);
    for (int i = length; i < width; ++i)
        *to++ = '0';
    while (length > 0)
        *to++ = digits[--length];
    return to;
}

std::size_t Longest(std::span<const std::string> names) {
    std::size_t longest = 0;
    for (const std::string& name : names)
        longest = std::max(longest, name.size());
    return longest;
}

// True when any of the eight bytes is an apostrophe or NUL: the classic "has zero
// byte" test, applied to the word and to the word xor apostrophes.
bool NeedsEscaping(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
    const std::uint64_t apostrophes = word ^ (kOnes * '\'');
    return (((word - kOnes) & ~word) | ((apostrophes - kOnes) & ~apostrophes)) & kHighs;
}

} // namespace

// Most text holds neither apostrophes nor NUL, so it is checked and copied eight bytes
// at a time.
char* WriteEscapedText(char* to, std::string_view text) {
    const char* from = text.data();
    const char* const end = from + text.size();
    const auto writeByte = [&to](char c) {
        if (c == '\0')
            return;
        *to++ = c;
        if (c == '\'')
            *to++ = '\'';
    };
    bool lastWordCopied = false;
    for (; end - from >= 8; from += 8) {
        std::uint64_t word;
        std::memcpy(&word, from, 8);
        lastWordCopied = !NeedsEscaping(word);
        if (lastWordCopied) {
            std::memcpy(to, &word, 8);
            to += 8;
            continue;
        }
        for (int k = 0; k < 8; ++k)
            writeByte(from[k]);
    }
    // The tail as the last eight bytes of the text, overlapping the word before it, when
    // that word went out unchanged: the overlap writes the same bytes again.
    const auto tail = static_cast<std::size_t>(end - from);
    if (tail > 0 && lastWordCopied) {
        std::uint64_t word;
        std::memcpy(&word, end - 8, 8);
        if (!NeedsEscaping(word)) {
            std::memcpy(to - (8 - tail), &word, 8);
            return to + tail;
        }
    }
    for (; from < end; ++from)
        writeByte(*from);
    return to;
}

char* WriteHex(char* to, std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (unsigned char byte : bytes) {
        *to++ = kHex[byte >> 4];
        *to++ = kHex[byte & 0x0F];
    }
    return to;
}

namespace {

// Appends what `write` writes at a pointer, given at most `room` bytes to write.
template <typename Write> void AppendWritten(std::string& out, std::size_t room, Write write) {
    const std::size_t start = out.size();
    out.resize(start + room);
    out.resize(static_cast<std::size_t>(write(out.data() + start) - out.data()));
}

} // namespace

void AppendEscapedText(std::string& out, std::string_view text) {
    AppendWritten(out, 2 * text.size(), [text](char* to) { return WriteEscapedText(to, text); });
}

void AppendHex(std::string& out, std::string_view bytes) {
    AppendWritten(out, 2 * bytes.size(), [bytes](char* to) { return WriteHex(to, bytes); });
}

namespace {

// Locale texts go into a quoted value too, so they are escaped like any value text.
std::string Utf8(const QString& text) {
    std::string escaped;
    AppendEscapedText(escaped, text.toStdString());
    return escaped;
}

} // namespace

ValueFormat::ValueFormat() : date_(parseDatePattern(QStringLiteral("yyyy-MM-dd"))), isIso_(true) {}

ValueFormat ValueFormat::fromLocale(const QLocale& locale) {
    ValueFormat format;
    if (locale.language() == QLocale::C)
        return format;
    format.decimalSeparator_ = Utf8(locale.decimalPoint());
    format.date_ = parseDatePattern(locale.dateFormat(QLocale::ShortFormat));
    format.isIso_ = format.date_ == ValueFormat().date_;
    format.pointIsSeparator_ = format.decimalSeparator_ == ".";
    for (int month = 1; month <= 12; ++month) {
        format.shortMonths_[month - 1] = Utf8(locale.monthName(month, QLocale::ShortFormat));
        format.longMonths_[month - 1] = Utf8(locale.monthName(month, QLocale::LongFormat));
    }
    for (int day = 1; day <= 7; ++day) {
        format.shortWeekdays_[day - 1] = Utf8(locale.dayName(day, QLocale::ShortFormat));
        format.longWeekdays_[day - 1] = Utf8(locale.dayName(day, QLocale::LongFormat));
    }
    format.dateRoom_ = format.isIso_ ? 0 : format.longestDate();
    return format;
}

// The most bytes a date takes in this format: every part at its longest.
std::size_t ValueFormat::longestDate() const {
    std::size_t length = 0;
    for (const DateToken& token : date_) {
        switch (token.part) {
        case DatePart::Literal:
            length += token.literal.size();
            break;
        case DatePart::Day:
        case DatePart::Day2:
        case DatePart::Month:
        case DatePart::Month2:
            length += 2;
            break;
        case DatePart::Year:
            length += 4;
            break;
        case DatePart::WeekdayShort:
            length += Longest(shortWeekdays_);
            break;
        case DatePart::WeekdayLong:
            length += Longest(longWeekdays_);
            break;
        case DatePart::MonthShort:
            length += Longest(shortMonths_);
            break;
        case DatePart::MonthLong:
            length += Longest(longMonths_);
            break;
        }
    }
    return length;
}

// Reads a QLocale date pattern into tokens. A two-digit year is widened to four:
// a script that loses the century loses data.
std::vector<ValueFormat::DateToken> ValueFormat::parseDatePattern(const QString& pattern) {
    std::vector<DateToken> tokens;
    auto literal = [&tokens](const QString& text) {
        if (tokens.empty() || tokens.back().part != DatePart::Literal)
            tokens.push_back({DatePart::Literal, {}});
        tokens.back().literal += Utf8(text);
    };
    for (qsizetype i = 0; i < pattern.size();) {
        QChar c = pattern[i];
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        if (c == u'\'') {
            qsizetype close = pattern.indexOf(u'\'', i + 1);
            if (close == i + 1) {
                literal(QStringLiteral("'"));
                i += 2;
                continue;
            }
            close = close < 0 ? pattern.size() : close;
            literal(pattern.mid(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        if (c == u'd') {
            static constexpr DatePart kDays[] = {DatePart::Day, DatePart::Day2,
                                                 DatePart::WeekdayShort, DatePart::WeekdayLong};
            tokens.push_back({kDays[std::min<qsizetype>(run, 4) - 1], {}});
        } else if (c == u'M') {
            static constexpr DatePart kMonths[] = {DatePart::Month, DatePart::Month2,
                                                   DatePart::MonthShort, DatePart::MonthLong};
            tokens.push_back({kMonths[std::min<qsizetype>(run, 4) - 1], {}});
        } else if (c == u'y') {
            tokens.push_back({DatePart::Year, {}});
        } else {
            literal(pattern.mid(i, run));
        }
        i += run;
    }
    return tokens;
}

char* ValueFormat::writeLocaleNumber(char* to, std::string_view canonical) const {
    const std::size_t point = canonical.find('.');
    if (point == std::string_view::npos)
        return CopyText(to, canonical);
    to = CopyText(to, canonical.substr(0, point));
    to = CopyText(to, decimalSeparator_);
    return CopyText(to, canonical.substr(point + 1));
}

char* ValueFormat::writeFormattedDate(char* to, std::string_view iso) const {
    const int year = Digits(iso, 0, 4), month = Digits(iso, 5, 2), day = Digits(iso, 8, 2);
    for (const DateToken& token : date_) {
        switch (token.part) {
        case DatePart::Literal:
            to = CopyText(to, token.literal);
            break;
        case DatePart::Day:
            to = WritePadded(to, day, 1);
            break;
        case DatePart::Day2:
            to = WritePadded(to, day, 2);
            break;
        case DatePart::WeekdayShort:
        case DatePart::WeekdayLong: {
            int weekday = QDate(year, month, day).dayOfWeek();
            const auto& names =
                token.part == DatePart::WeekdayShort ? shortWeekdays_ : longWeekdays_;
            to = CopyText(to, names[std::clamp(weekday, 1, 7) - 1]);
            break;
        }
        case DatePart::Month:
            to = WritePadded(to, month, 1);
            break;
        case DatePart::Month2:
            to = WritePadded(to, month, 2);
            break;
        case DatePart::MonthShort:
            to = CopyText(to, shortMonths_[std::clamp(month, 1, 12) - 1]);
            break;
        case DatePart::MonthLong:
            to = CopyText(to, longMonths_[std::clamp(month, 1, 12) - 1]);
            break;
        case DatePart::Year:
            to = WritePadded(to, year, 4);
            break;
        }
    }
    return to;
}

void ValueFormat::appendNumber(std::string& out, std::string_view canonical) const {
    AppendWritten(out, canonical.size() + numberRoom(),
                  [&](char* to) { return writeNumber(to, canonical); });
}

void ValueFormat::appendDate(std::string& out, std::string_view iso) const {
    AppendWritten(out, iso.size() + dateRoom_, [&](char* to) { return writeDate(to, iso); });
}

void ValueFormat::appendDateTime(std::string& out, std::string_view iso) const {
    AppendWritten(out, iso.size() + 1 + dateRoom_,
                  [&](char* to) { return writeDateTime(to, iso); });
}

std::string ValueText(const Value& value, const ValueFormat& format) {
    std::string out;
    AppendValueText(out, value, format);
    return out;
}

namespace {

std::size_t EscapedLength(std::string_view text) {
    std::size_t length = text.size();
    for (const char c : text)
        if (c == '\'')
            ++length;
        else if (c == '\0')
            --length;
    return length;
}

} // namespace

std::size_t ValueTextLengthBound(const Value& value) {
    // Room for a locale's names of months and weekdays in a date.
    constexpr std::size_t kFormattingRoom = 64;
    if (!value.pieces)
        return 2 * value.text.size() + kFormattingRoom;
    std::size_t length = 0;
    const bool binary = value.type == ValueType::Binary;
    value.pieces->forEach([&length, binary](std::string_view piece) {
        length += binary ? 2 * piece.size() : EscapedLength(piece);
    });
    return length;
}

void AppendValueText(std::string& out, const Value& value, const ValueFormat& format,
                     const std::function<void()>* pieceWritten) {
    if (value.pieces) {
        // Each piece is a value of the same type: text or binary, never a formatted one.
        value.pieces->forEach([&out, &value, &format, pieceWritten](std::string_view piece) {
            AppendValueText(out, Value::of(value.type, piece), format);
            if (pieceWritten && *pieceWritten)
                (*pieceWritten)();
        });
        return;
    }
    switch (value.type) {
    case ValueType::Null:
        break;
    case ValueType::Text:
        AppendEscapedText(out, value.text);
        break;
    case ValueType::Number:
        format.appendNumber(out, value.text);
        break;
    case ValueType::Date:
        format.appendDate(out, value.text);
        break;
    case ValueType::DateTime:
        format.appendDateTime(out, value.text);
        break;
    case ValueType::Logical:
        out += value.text;
        break;
    case ValueType::Binary:
        AppendHex(out, value.text);
        break;
    }
}

} // namespace tabrivel
