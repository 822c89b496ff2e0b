#pragma once

#include "engine/Value.h"

#include <QLocale>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace tabrivel {

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

    // Whether numbers and dates come out as their canonical text, unchanged.
    bool keepsCanonicalText() const { return keepsCanonicalText_; }

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

    std::string decimalSeparator_ = ".";
    std::vector<DateToken> date_;
    bool isIso_ = false; // the canonical text is already the answer
    bool keepsCanonicalText_ = true;
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
