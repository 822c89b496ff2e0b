#include "engine/dbf/DateText.h"

namespace tabrivel::dbf {
namespace {

constexpr std::int64_t kMillisecondsPerDay = 86'400'000;
// Julian day numbers of 1 January 0001 and 31 December 9999.
constexpr std::int64_t kFirstJulianDay = 1'721'426;
constexpr std::int64_t kLastJulianDay = 5'373'484;

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

// Writes `value` as `width` digits at `to`; the text is made in a small buffer and
// appended once, as a call per part would cost more than the digits.
char* WritePadded(char* to, int value, int width) {
    for (int i = width - 1; i >= 0; --i, value /= 10)
        to[i] = static_cast<char>('0' + value % 10);
    return to + width;
}

char* WriteDate(char* to, const CivilDate& date) {
    to = WritePadded(to, date.year, 4);
    *to++ = '-';
    to = WritePadded(to, date.month, 2);
    *to++ = '-';
    return WritePadded(to, date.day, 2);
}

} // namespace

bool IsValidDate(const CivilDate& date) {
    return date.year >= 1 && date.year <= 9999 && date.month >= 1 && date.month <= 12 &&
           date.day >= 1 && date.day <= DaysInMonth(date.year, date.month);
}

CivilDate DateOfJulianDay(std::int64_t julianDay) {
    // Fliegel and Van Flandern's conversion, exact for every day in range.
    std::int64_t l = julianDay + 68569;
    const std::int64_t n = 4 * l / 146097;
    l -= (146097 * n + 3) / 4;
    const std::int64_t i = 4000 * (l + 1) / 1461001;
    l = l - 1461 * i / 4 + 31;
    const std::int64_t j = 80 * l / 2447;
    const std::int64_t day = l - 2447 * j / 80;
    l = j / 11;
    const std::int64_t month = j + 2 - 12 * l;
    const std::int64_t year = 100 * (n - 49) + i + l;
    return {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}

bool ParseStoredDate(std::string_view text, CivilDate& date) {
    if (text.size() != 8)
        return false;
    int parts[3] = {0, 0, 0};
    const int widths[3] = {4, 2, 2};
    std::size_t at = 0;
    for (int p = 0; p < 3; ++p)
        for (int k = 0; k < widths[p]; ++k, ++at) {
            if (text[at] < '0' || text[at] > '9')
                return false;
            parts[p] = parts[p] * 10 + (text[at] - '0');
        }
    date = {parts[0], parts[1], parts[2]};
    return IsValidDate(date);
}

void AppendStoredDate(std::string_view text, std::string& out) {
    const char formatted[10] = {text[0], text[1], text[2], text[3], '-',
                                text[4], text[5], '-',     text[6], text[7]};
    out.append(formatted, sizeof formatted);
}

void AppendDate(const CivilDate& date, std::string& out) {
    char text[10];
    out.append(text, WriteDate(text, date));
}

bool AppendJulianDateTime(std::int64_t julianDay, std::int64_t milliseconds, std::string& out) {
    if (milliseconds < 0 || milliseconds >= kMillisecondsPerDay)
        return false;
    // Writers store times a millisecond off (12:00:00 as 11:59:59.999): round.
    std::int64_t seconds = (milliseconds + 500) / 1000;
    if (seconds == 86'400) {
        seconds = 0;
        ++julianDay;
    }
    if (julianDay < kFirstJulianDay || julianDay > kLastJulianDay)
        return false;
    char text[19];
    char* to = WriteDate(text, DateOfJulianDay(julianDay));
    *to++ = ' ';
    to = WritePadded(to, static_cast<int>(seconds / 3600), 2);
    *to++ = ':';
    to = WritePadded(to, static_cast<int>(seconds / 60 % 60), 2);
    *to++ = ':';
    to = WritePadded(to, static_cast<int>(seconds % 60), 2);
    out.append(text, to);
    return true;
}

} // namespace tabrivel::dbf
