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

// What a scan refuses besides bytes with the high bit set.
enum class Refused { Nothing, Nul, NulOrApostrophe };

// A byte the scan refuses in the word. The zero-byte tests are the classic "has zero
// byte" test (on the word, and on the word with apostrophes turned into zeros), exact
// once no high bit is set; a borrow only runs upward from a zero byte.
inline bool Flags(std::uint64_t word, Refused refused) {
    constexpr std::uint64_t kApostrophes = kOnes * '\'';
    std::uint64_t flags = word;
    if (refused != Refused::Nothing)
        flags |= word - kOnes;
    if (refused == Refused::NulOrApostrophe)
        flags |= (word ^ kApostrophes) - kOnes;
    return (flags & kHighs) != 0;
}

inline bool RefusedByte(unsigned char byte, Refused refused) {
    return byte >= 0x80 || (refused != Refused::Nothing && byte == 0) ||
           (refused == Refused::NulOrApostrophe && byte == '\'');
}

inline bool Scan(std::string_view bytes, Refused refused) {
    const char* at = bytes.data();
    const std::size_t size = bytes.size();
    if (size < 8) {
        for (std::size_t i = 0; i < size; ++i)
            if (RefusedByte(static_cast<unsigned char>(at[i]), refused))
                return false;
        return true;
    }
    // The last word overlaps the one before it rather than leaving a tail of single bytes.
    for (std::size_t i = 0; i + 8 < size; i += 8)
        if (Flags(Word(at + i), refused))
            return false;
    return !Flags(Word(at + size - 8), refused);
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
    return ascii_scan::Scan(bytes, ascii_scan::Refused::Nothing);
}

// ASCII with no NUL byte: text that no table's code page changes and no C writer cut short.
inline bool IsAsciiWithoutNul(std::string_view bytes) {
    return ascii_scan::Scan(bytes, ascii_scan::Refused::Nul);
}

// ASCII with neither NUL nor apostrophe: besides the above, a quoted literal takes it as
// it stands.
inline bool IsLiteralAscii(std::string_view bytes) {
    return ascii_scan::Scan(bytes, ascii_scan::Refused::NulOrApostrophe);
}

} // namespace tabrivel::dbf
