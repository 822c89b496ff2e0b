#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tabrivel::fuzz {

// How one fuzzer input is laid out: a selector byte, the table's length as four
// little-endian bytes, the table, then the memo file. The selector picks the memo
// file's extension (or none) and its letter case, the number format, and a code-page
// file beside the table (or none), so one corpus covers .dbt, .fpt and .smt tables,
// both locale paths and the multi-byte and stateful decoders. With the selector's top
// bit set, two little-endian bytes after the length pick the code-page file's text
// from every converter name and alias ICU knows.
struct FuzzInput {
    std::string_view table;
    std::string_view memo;
    std::string memoExtension;     // empty: no memo file
    std::string_view codePageFile; // empty: no .cpg file
    bool localeFormat = false;
};

FuzzInput SplitInput(const std::uint8_t* data, std::size_t size);

// The inverse, used by the seed writer.
// `icuCodePage`, when not negative, is the index of the ICU name the .cpg file holds.
std::string JoinInput(std::string_view table, std::string_view memo, std::string_view memoExtension,
                      bool localeFormat = false, int icuCodePage = -1);

} // namespace tabrivel::fuzz
