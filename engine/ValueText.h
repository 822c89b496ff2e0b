#pragma once

#include "engine/Value.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace tabrivel {

// Copies `text` to `to` and returns its end. Most pieces of a statement are a few bytes
// (numbers, dates, delimiters): copied as two words that may overlap, they cost no
// library call.
inline char* CopyText(char* to, std::string_view text) {
    const char* from = text.data();
    const std::size_t size = text.size();
    if (size >= 8 && size <= 16) {
        std::uint64_t head, tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + size - 8, 8);
        std::memcpy(to, &head, 8);
        std::memcpy(to + size - 8, &tail, 8);
    } else if (size >= 4 && size < 8) {
        std::uint32_t head, tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + size - 4, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + size - 4, &tail, 4);
    } else if (size < 4) {
        for (std::size_t i = 0; i < size; ++i)
            to[i] = from[i];
    } else {
        std::memcpy(to, from, size);
    }
    return to + size;
}

// How numbers and dates read in the user's locale, worked out once per run so that
// formatting a million dates costs no locale look-ups.
class ValueFormat {
public:
    // "." and yyyy-MM-dd: the form of the C/POSIX locale.
    ValueFormat();
    static ValueFormat fromLocale(const QLocale& locale);

    void appendNumber(std::string& out, std::string_view canonical) const;
    void appendDate(std::string& out, std::string_view isoDate) const;
    void appendDateTime(std::string& out, std::string_view isoDateTime) const;

    // The same written at `to`, each returning the end of what it wrote. A number takes
    // at most its canonical length and numberRoom() more, a date or a date-time at most
    // its canonical length and dateRoom() more.
    char* writeNumber(char* to, std::string_view canonical) const {
        return pointIsSeparator_ ? CopyText(to, canonical) : writeLocaleNumber(to, canonical);
    }
    char* writeDate(char* to, std::string_view isoDate) const {
        return isIso_ ? CopyText(to, isoDate) : writeFormattedDate(to, isoDate);
    }
    // The date, one blank and the time.
    char* writeDateTime(char* to, std::string_view isoDateTime) const {
        to = writeDate(to, isoDateTime.substr(0, 10));
        *to++ = ' ';
        return CopyText(to, isoDateTime.substr(std::min<std::size_t>(11, isoDateTime.size())));
    }
    std::size_t numberRoom() const { return pointIsSeparator_ ? 0 : decimalSeparator_.size(); }
    std::size_t dateRoom() const { return dateRoom_; }

private:
    enum class DatePart : char {
        Literal,
        Day,
        Day2,
        WeekdayShort,
        WeekdayLong,
        Month,
        Month2,
        MonthShort,
        MonthLong,
        Year,
    };
    struct DateToken {
        DatePart part;
        std::string literal;
        bool operator==(const DateToken&) const = default;
    };

    static std::vector<DateToken> parseDatePattern(const QString& pattern);
    std::size_t longestDate() const;
    char* writeLocaleNumber(char* to, std::string_view canonical) const;
    char* writeFormattedDate(char* to, std::string_view isoDate) const;

    std::string decimalSeparator_ = ".";
    std::vector<DateToken> date_;
    bool isIso_ = false; // the canonical text is already the answer
    bool pointIsSeparator_ = true;
    std::size_t dateRoom_ = 0;
    std::array<std::string, 12> shortMonths_;
    std::array<std::string, 12> longMonths_;
    std::array<std::string, 7> shortWeekdays_;
    std::array<std::string, 7> longWeekdays_;
};

// The text of one value between the apostrophes of an INSERT statement: apostrophes
// doubled, NUL characters left out, binary data as uppercase hexadecimal.
std::string ValueText(const Value& value, const ValueFormat& format);

// The pieces of a value's text: a text with apostrophes doubled and NUL left out, and
// bytes as uppercase hexadecimal.
void AppendEscapedText(std::string& out, std::string_view text);
void AppendHex(std::string& out, std::string_view bytes);
// The same written at `to`, which has room for twice the bytes; each returns the end of
// what it wrote.
char* WriteEscapedText(char* to, std::string_view text);
char* WriteHex(char* to, std::string_view bytes);

// At least the length AppendValueText adds for `value`: exact for a value in pieces
// (which it reads once to count), a generous bound for any other.
std::size_t ValueTextLengthBound(const Value& value);
// `pieceWritten`, when given, is called after each piece of a value in pieces.
void AppendValueText(std::string& out, const Value& value, const ValueFormat& format,
                     const std::function<void()>* pieceWritten = nullptr);

} // namespace tabrivel
