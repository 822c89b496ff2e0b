#pragma once

#include <cstdint>
#include <string_view>

namespace tabrivel::fuzz {

// A name for every converter ICU offers, and every alias of it: `index` runs over the
// converters first and, past their count, over their aliases, so small indices name
// the canonical converters and larger ones the spellings users write.
std::string_view IcuCodePageName(std::uint16_t index);

// How many converters ICU offers (the indices that name each one once).
std::uint16_t IcuConverterCount();

} // namespace tabrivel::fuzz
