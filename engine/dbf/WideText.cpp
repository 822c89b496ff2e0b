#include "engine/dbf/WideText.h"

#include <cstdint>

namespace tabrivel::dbf {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendCodePoint(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

void AppendUtf16Le(std::string_view bytes, std::string& out) {
    const auto unitAt = [&bytes](std::size_t at) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[at]) |
                                     static_cast<unsigned char>(bytes[at + 1]) << 8);
    };
    std::size_t at = 0;
    for (; at + 1 < bytes.size(); at += 2) {
        const char32_t unit = unitAt(at);
        if (unit == 0)
            return;
        if (IsHighSurrogate(unit) && at + 3 < bytes.size() && IsLowSurrogate(unitAt(at + 2))) {
            AppendCodePoint(0x10000 + ((unit - 0xD800) << 10) + (unitAt(at + 2) - 0xDC00), out);
            at += 2;
        } else {
            AppendCodePoint(IsHighSurrogate(unit) || IsLowSurrogate(unit) ? kReplacement : unit,
                            out);
        }
    }
    if (at < bytes.size() && bytes[at] != '\0')
        AppendCodePoint(kReplacement, out);
}

} // namespace tabrivel::dbf
