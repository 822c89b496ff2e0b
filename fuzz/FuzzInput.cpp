#include "FuzzInput.h"

#include "IcuCodePageNames.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tabrivel::fuzz {
namespace {

constexpr std::size_t kPrefixSize = 5;
constexpr std::uint8_t kUpperCase = 0x04;
constexpr std::uint8_t kLocaleFormat = 0x08;
constexpr std::uint8_t kIcuCodePage = 0x80;
constexpr std::size_t kIcuIndexSize = 2;
constexpr std::array<std::string_view, 4> kExtensions = {"", ".dbt", ".fpt", ".smt"};
// What GIS tools write into .cpg files, and a few decoders that keep state between bytes.
constexpr std::array<std::string_view, 8> kCodePageFiles = {
    "", "UTF-8", "1251", "CP866\r\n", "936", "ISO-2022-JP", "SCSU", "UTF-7"};

std::string Upper(std::string_view text) {
    std::string out(text);
    for (auto& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

FuzzInput SplitInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input;
    if (size < kPrefixSize) {
        input.table = {reinterpret_cast<const char*>(data), size};
        return input;
    }
    const std::uint8_t selector = data[0];
    const std::size_t declared = static_cast<std::size_t>(data[1]) | (data[2] << 8) |
                                 (data[3] << 16) | (static_cast<std::size_t>(data[4]) << 24);
    std::size_t prefix = kPrefixSize;
    input.codePageFile = kCodePageFiles[(selector >> 4) & 0x07];
    if ((selector & kIcuCodePage) && size >= kPrefixSize + kIcuIndexSize) {
        const auto index = static_cast<std::uint16_t>(data[5] | (data[6] << 8));
        input.codePageFile = IcuCodePageName(index);
        prefix += kIcuIndexSize;
    }
    const auto* rest = reinterpret_cast<const char*>(data + prefix);
    const std::size_t restSize = size - prefix;
    const std::size_t tableSize = std::min(declared, restSize);
    input.table = {rest, tableSize};
    input.memo = {rest + tableSize, restSize - tableSize};
    const auto extension = kExtensions[selector & 0x03];
    input.memoExtension = (selector & kUpperCase) ? Upper(extension) : std::string(extension);
    input.localeFormat = (selector & kLocaleFormat) != 0;
    return input;
}

std::string JoinInput(std::string_view table, std::string_view memo, std::string_view memoExtension,
                      bool localeFormat, int icuCodePage) {
    const auto found = std::find(kExtensions.begin(), kExtensions.end(), memoExtension);
    auto selector =
        static_cast<std::uint8_t>(found == kExtensions.end() ? 0 : found - kExtensions.begin());
    if (localeFormat)
        selector |= kLocaleFormat;
    if (icuCodePage >= 0)
        selector |= kIcuCodePage;
    std::string out(1, static_cast<char>(selector));
    const auto length = static_cast<std::uint32_t>(table.size());
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((length >> shift) & 0xFF);
    if (icuCodePage >= 0) {
        out += static_cast<char>(icuCodePage & 0xFF);
        out += static_cast<char>((icuCodePage >> 8) & 0xFF);
    }
    out.append(table);
    out.append(memo);
    return out;
}

} // namespace tabrivel::fuzz
