#pragma once

#include <cstdint>
#include <string>

namespace tabrivel::dbf {

// Readers of the integer layouts found in tables and memo files; the bytes need not
// be aligned.
inline std::uint32_t ReadLittle16(const unsigned char* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8;
}

inline std::uint32_t ReadLittle32(const unsigned char* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

inline std::uint64_t ReadLittle64(const unsigned char* p) {
    return std::uint64_t{ReadLittle32(p)} | std::uint64_t{ReadLittle32(p + 4)} << 32;
}

inline std::uint32_t ReadBig16(const unsigned char* p) {
    return std::uint32_t{p[0]} << 8 | std::uint32_t{p[1]};
}

inline std::uint32_t ReadBig32(const unsigned char* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
           std::uint32_t{p[3]};
}

inline std::uint64_t ReadBig64(const unsigned char* p) {
    return std::uint64_t{ReadBig32(p)} << 32 | std::uint64_t{ReadBig32(p + 4)};
}

inline const unsigned char* Bytes(const char* p) {
    return reinterpret_cast<const unsigned char*>(p);
}

inline std::string HexByte(std::uint8_t value) {
    constexpr char digits[] = "0123456789ABCDEF";
    return std::string{'0', 'x', digits[value >> 4], digits[value & 0x0F]};
}

} // namespace tabrivel::dbf
