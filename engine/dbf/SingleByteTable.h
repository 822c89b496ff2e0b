#pragma once

#include <array>
#include <cstdint>
#include <memory>

struct UConverter;

namespace tabrivel::dbf {

// The UTF-8 form of each of the 256 bytes of a single-byte code page.
struct SingleByteTable {
    struct Utf8Char {
        std::array<char, 4> bytes{};
        std::uint8_t length = 0;
    };
    std::array<Utf8Char, 256> entries{};
    bool asciiIsIdentity = false;
};

// The table of the converter's code page. Each code page's table is built once for the
// whole process and shared by every table that uses it: building one takes 256
// conversions, which thousands of small tables would otherwise each pay for.
std::shared_ptr<const SingleByteTable> SharedSingleByteTable(UConverter* converter);

// A copy of `table` with bytes 0x80 to 0xFF decoded as `upper` says.
std::shared_ptr<const SingleByteTable> WithUpperHalf(const SingleByteTable& table,
                                                     const std::array<char16_t, 128>& upper);

} // namespace tabrivel::dbf
