#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tabrivel::dbf {

struct CivilDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

bool IsValidDate(const CivilDate& date);

// The Gregorian date of a Julian day number (days since 1 January 4713 BC).
CivilDate DateOfJulianDay(std::int64_t julianDay);

// Parses a stored "yyyyMMdd"; false when the text is not eight digits of a real date.
bool ParseStoredDate(std::string_view text, CivilDate& date);

// Appends "yyyy-MM-dd" for a stored date that ParseStoredDate accepted.
void AppendStoredDate(std::string_view text, std::string& out);

// Appends "yyyy-MM-dd".
void AppendDate(const CivilDate& date, std::string& out);

// Appends "yyyy-MM-dd HH:mm:ss" for a Julian day and milliseconds since midnight,
// rounded to the nearest second; false (nothing written) when either is impossible.
bool AppendJulianDateTime(std::int64_t julianDay, std::int64_t milliseconds, std::string& out);

} // namespace tabrivel::dbf
