#pragma once

#include <array>
#include <cstdint>

namespace tabrivel::dbf {

// The 128 characters of bytes 0x80 to 0xFF of a single-byte code page.
using UpperHalf = std::array<char16_t, 128>;

// For a language-driver byte whose code page ICU has no converter for, the upper half
// of that code page as we ship it; null for every other byte. The lower half is ASCII.
const UpperHalf* OwnUpperHalfOfLanguageDriver(std::uint8_t languageDriver);

} // namespace tabrivel::dbf
