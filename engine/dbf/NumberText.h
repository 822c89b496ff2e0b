#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tabrivel::dbf {

enum class NumberForm {
    Empty,      // blanks, NULs or "*" overflow marks: no value
    Number,     // `canonical` holds the canonical decimal
    NotANumber, // anything else: the caller keeps the trimmed raw text
};

// The canonical decimal of a number stored as text ("  -.50" gives "-0.5", "1.5E+3"
// gives "1500"): blanks and NULs around it removed, no leading zeros, no trailing
// fractional zeros, '.' as the separator, and no "-" on a zero. `canonical` views `raw`
// where the stored text already is that form, else what was written onto `out`.
NumberForm CanonicalDecimal(std::string_view raw, std::string& out, std::string_view& canonical);

// Plain decimal of an integer.
void AppendInteger(std::int64_t value, std::string& out);

// Exact decimal of value / 10^scale (scale at most 20), trailing fractional zeros removed.
void AppendScaled(std::int64_t value, int scale, std::string& out);

// The shortest plain decimal that reads back to `value`; false (and nothing written)
// for NaN and infinities.
bool AppendDouble(double value, std::string& out);

// Blanks and NULs removed from both ends.
std::string_view TrimPadding(std::string_view raw);

} // namespace tabrivel::dbf
