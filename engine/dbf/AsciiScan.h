#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tabrivel::dbf {

// Most text in most tables is plain ASCII, so it is looked at eight bytes at a time.
namespace ascii_scan {

inline constexpr std::uint64_t kOnes = 0x0101'0101'0101'0101u;
inline constexpr std::uint64_t kHighs = 0x8080'8080'8080'8080u;

inline std::uint64_t Word(const char* at) {
    std::uint64_t word;
    std::memcpy(&word, at, 8);
    return word;
}

// The high bit of a byte set, or (with `withNul`) a zero byte: the classic "has zero
// byte" test, which is exact once no high bit is set.
inline bool Flags(std::uint64_t word, bool withNul) {
    if (word & kHighs)
        return true;
    return withNul && ((word - kOnes) & kHighs) != 0;
}

inline bool Scan(std::string_view bytes, bool withNul) {
    const char* at = bytes.data();
    const std::size_t size = bytes.size();
    if (size < 8) {
        for (std::size_t i = 0; i < size; ++i) {
            const auto byte = static_cast<unsigned char>(at[i]);
            if (byte >= 0x80 || (withNul && byte == 0))
                return false;
        }
        return true;
    }
    // The last word overlaps the one before it rather than leaving a tail of single bytes.
    for (std::size_t i = 0; i + 8 < size; i += 8)
        if (Flags(Word(at + i), withNul))
            return false;
    return !Flags(Word(at + size - 8), withNul);
}

} // namespace ascii_scan

// Where the first NUL byte stands, or the size when there is none. Fields are short, so
// a word at a time beats a library call.
inline std::size_t NulPosition(std::string_view bytes) {
    if constexpr (std::endian::native != std::endian::little)
        return std::min(bytes.find('\0'), bytes.size());
    std::size_t at = 0;
    for (; bytes.size() - at >= 8; at += 8) {
        const std::uint64_t word = ascii_scan::Word(bytes.data() + at);
        // Exact for the lowest zero byte: a borrow only runs upward from it.
        const std::uint64_t zeros = (word - ascii_scan::kOnes) & ~word & ascii_scan::kHighs;
        if (zeros)
            return at + static_cast<std::size_t>(std::countr_zero(zeros)) / 8;
    }
    for (; at < bytes.size(); ++at)
        if (bytes[at] == '\0')
            return at;
    return bytes.size();
}

inline bool IsAscii(std::string_view bytes) {
    return ascii_scan::Scan(bytes, false);
}

// ASCII with no NUL byte: text that no table's code page changes and no C writer cut short.
inline bool IsAsciiWithoutNul(std::string_view bytes) {
    return ascii_scan::Scan(bytes, true);
}

} // namespace tabrivel::dbf
