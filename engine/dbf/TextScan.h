#pragma once

#include "engine/dbf/BinaryFile.h"
#include "engine/dbf/MemoFile.h"
#include "engine/dbf/TableLayout.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace tabrivel::dbf {

enum class StoredText {
    Ascii, // nothing beyond ASCII: any code page reads it alike
    Utf8,  // some text beyond ASCII, and all of it well-formed UTF-8
    Other, // some text that is not UTF-8
};

// Looks at the stored text of a table whose code page is unknown, the character fields
// and memo texts of its first `records` records, so that one decoding can be chosen for
// the whole table before its first record is delivered. Memos it cannot read are passed
// over: reading the records reports them. With `sample`, the values that are not ASCII
// are gathered there, up to a size that settles which code page they are in; without,
// the scan stops at the first value that is not UTF-8.
StoredText ScanStoredText(BinaryFile& file, const TableLayout& layout, MemoFile& memo,
                          std::uint64_t records, std::string* sample = nullptr);

// How much text beyond ASCII a sample holds at most.
inline constexpr std::size_t kSampleLength = std::size_t{64} * 1024;

} // namespace tabrivel::dbf
