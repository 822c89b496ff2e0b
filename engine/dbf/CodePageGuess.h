#pragma once

#include <string>
#include <string_view>

namespace tabrivel::dbf {

// The code page a table that names none was most likely written in, judged from a
// sample of its text that is neither ASCII nor UTF-8: one of the code pages DBF files
// are written in (the DOS ones, the Windows ones, KOI8-R, the CJK ones), as an ICU
// converter name; empty when the text points at none of them.
std::string GuessCodePage(std::string_view sample);

} // namespace tabrivel::dbf
