#pragma once

#include "engine/TableError.h"
#include "engine/dbf/BinaryFile.h"
#include "engine/dbf/MemoFile.h"

#include <optional>

namespace tabrivel::dbf {

// What the memo formats share: the file, its block size and the range checks.
class BlockMemoFile : public MemoFile {
public:
    std::string name() const override { return file_.name(); }
    void readPart(const Extent& extent, std::uint64_t from, char* into, std::size_t count) override;
    const char* view(const Extent& extent) override {
        return file_.viewAt(extent.offset, extent.length);
    }
    void checkWhole() const override { file_.checkWhole(); }

protected:
    BlockMemoFile(const std::filesystem::path& path, std::uint32_t blockSize);

    // The byte offset of `block`, checked to leave at least `needed` bytes in the file.
    std::uint64_t offsetOf(std::uint64_t block, std::uint64_t needed);
    // The memo of `length` bytes at `offset`, checked to lie inside the file and to be
    // stored there: a sparse file can claim gigabytes it holds only as a hole.
    Extent storedRange(std::uint64_t offset, std::uint64_t length);
    [[noreturn]] void outOfRange(std::uint64_t offset, const std::string& what) const;

    std::filesystem::path path_;
    BinaryFile file_;
    std::uint32_t blockSize_;
};

// A table without memo fields.
class NoMemoFile final : public MemoFile {
public:
    Extent locate(const Ref&) override { return {}; }
    void readPart(const Extent&, std::uint64_t, char*, std::size_t) override {}
    std::string name() const override { return {}; }
};

// A memo file that cannot be read at all, missing or with an unusable header: every
// memo a record points at is lost with the same error, while records whose pointers
// are blank need nothing from it.
class UnreadableMemoFile final : public MemoFile {
public:
    // The error is kept to be thrown at every memo asked for, not thrown here.
    UnreadableMemoFile(TableError error, TableFamily family)
        : error_(std::move(error)), // NOLINT(bugprone-throw-keyword-missing)
          family_(family) {}
    // Pointers are told apart as the family's own memo file would, so a lost memo is
    // counted as lost and a blank pointer stays blank.
    Pointer parsePointer(std::string_view field, Ref& ref) const override;
    Extent locate(const Ref&) override { throw error_; }
    void readPart(const Extent&, std::uint64_t, char*, std::size_t) override { throw error_; }
    std::string name() const override { return error_.file(); }

private:
    TableError error_;
    TableFamily family_;
};

// dBase III: 512-byte blocks, a memo's text ends at the first 0x1A.
class DBase3MemoFile : public BlockMemoFile {
public:
    explicit DBase3MemoFile(const std::filesystem::path& path);
    Extent locate(const Ref& ref) override;

protected:
    DBase3MemoFile(const std::filesystem::path& path, std::uint32_t blockSize);
    Extent terminatedAt(std::uint64_t offset);

private:
    // Where the terminator search last ended. Records often share one memo, and one
    // without its terminator would otherwise be read to the end of the file each time.
    std::optional<Extent> lastFound_;
};

// dBase IV, 5 and 7: the block size stands in the memo header and each memo begins
// with FF FF 08 00 and a length that counts those eight bytes. Blocks without that
// mark were written the dBase III way and are read so.
class DBase4MemoFile final : public DBase3MemoFile {
public:
    DBase4MemoFile(const std::filesystem::path& path, std::uint32_t blockSize);
    Extent locate(const Ref& ref) override;

private:
    std::optional<Extent> markedExtent(std::uint64_t offset);
};

// FoxPro: big-endian block size in the header; each memo begins with a type and a
// big-endian length.
class FoxProMemoFile final : public BlockMemoFile {
public:
    FoxProMemoFile(const std::filesystem::path& path, std::uint32_t blockSize);
    Extent locate(const Ref& ref) override;
};

// HiPer-Six: the record's ten bytes hold a type, the memo's length and its first
// block, all little-endian; the memo file holds only the bytes.
class HiPerSixMemoFile final : public BlockMemoFile {
public:
    HiPerSixMemoFile(const std::filesystem::path& path, std::uint32_t blockSize);
    Pointer parsePointer(std::string_view field, Ref& ref) const override;
    Extent locate(const Ref& ref) override;
};

} // namespace tabrivel::dbf
