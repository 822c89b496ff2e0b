#pragma once

#include "engine/dbf/TableLayout.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace tabrivel::dbf {

// The memo file of a table: finds the bytes a record's memo pointer names. Every
// length is capped by the memo file's size, so a broken pointer costs an error,
// never a huge allocation.
class MemoFile {
public:
    // Where a record's memo lies: its first block and, when the record says so, its length.
    struct Ref {
        std::uint64_t block = 0;
        std::uint64_t length = 0;
    };
    enum class Pointer { None, Memo, NotANumber };
    // Whether a memo arrived whole or the memo file ended before its end mark.
    enum class Read { Whole, CutShort };
    // Where a memo's bytes lie in the memo file, checked to be there.
    struct Extent {
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
        Read read = Read::Whole;
    };

    virtual ~MemoFile() = default;

    // Reads a memo field's bytes. Four bytes are a little-endian block number (Visual
    // FoxPro), anything else a blank-padded decimal; 0 and blanks mean no memo.
    virtual Pointer parsePointer(std::string_view field, Ref& ref) const;

    // Finds the memo at `ref` without reading its bytes. Throws TableError
    // (MemoOutOfRange) when it lies outside the file or the file does not store it.
    virtual Extent locate(const Ref& ref) = 0;

    // Reads `count` bytes of a located memo, `from` bytes into it.
    virtual void readPart(const Extent& extent, std::uint64_t from, char* into,
                          std::size_t count) = 0;

    // A located memo's bytes where they lie, when the memo file is mapped into memory;
    // nullptr when they must be read with readPart.
    virtual const char* view(const Extent& /*extent*/) { return nullptr; }

    // Throws a TableError when the memo file lost bytes while it was read.
    virtual void checkWhole() const {}

    // The memo file's name for messages.
    virtual std::string name() const = 0;
};

// Opens the memo file beside `table` that its family uses (.dbt, .fpt, .smt, in any
// letter case). A table without memo fields gets a memo file that holds nothing; one
// whose memo file is missing or unusable gets one whose every read fails with that
// error, so the rest of each record can still be delivered.
std::unique_ptr<MemoFile> OpenMemoFile(const std::filesystem::path& table,
                                       const TableLayout& layout);

} // namespace tabrivel::dbf
