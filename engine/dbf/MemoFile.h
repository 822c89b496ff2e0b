#pragma once

#include "FieldType.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace tabrivel::dbf {

// The memo file of a table: finds the bytes a record's memo pointer names. Every
// length is capped by the memo file's size, so a broken pointer costs an error,
// never a huge allocation.
class MemoFile {
public:
    virtual ~MemoFile() = default;

    // Appends the raw bytes of the memo that starts at `block` to `out`.
    // Throws TableError (MemoOutOfRange) when the block lies outside the file.
    virtual void read(std::uint64_t block, std::string& out) = 0;
};

// Opens the memo file beside `table` that its family uses (.dbt, .fpt, .smt, in any
// letter case). A table without memo fields gets a memo file that holds nothing;
// one with memo fields but no memo file is a MissingMemo error.
std::unique_ptr<MemoFile> OpenMemoFile(const std::filesystem::path& table,
                                       const TableLayout& layout);

} // namespace tabrivel::dbf
