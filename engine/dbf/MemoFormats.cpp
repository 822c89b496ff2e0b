#include "engine/dbf/MemoFormats.h"

#include "engine/TableError.h"
#include "engine/dbf/ByteOrder.h"
#include "engine/dbf/NumberText.h"
#include "engine/dbf/StoredData.h"

#include <algorithm>
#include <array>

namespace tabrivel::dbf {
namespace {

constexpr std::uint32_t kDBase3BlockSize = 512;
constexpr char kMemoEnd = 0x1A;
constexpr std::uint64_t kMemoHeaderSize = 8;
// Memos up to this length are read without asking whether the file stores them: the
// question costs system calls, and the answer matters only where a length is large.
constexpr std::uint64_t kUncheckedLength = std::uint64_t{1024} * 1024;

// Ten bytes: a type, the memo's length and its first block, all little-endian.
MemoFile::Pointer ParseHiPerSixPointer(std::string_view field, MemoFile::Ref& ref) {
    if (TrimPadding(field).empty())
        return MemoFile::Pointer::None;
    const auto* bytes = Bytes(field.data());
    ref.length = ReadLittle32(bytes + 2);
    ref.block = ReadLittle32(bytes + 6);
    return ref.length == 0 ? MemoFile::Pointer::None : MemoFile::Pointer::Memo;
}

} // namespace

MemoFile::Pointer UnreadableMemoFile::parsePointer(std::string_view field, Ref& ref) const {
    if (family_ == TableFamily::HiPerSix && field.size() == 10)
        return ParseHiPerSixPointer(field, ref);
    return MemoFile::parsePointer(field, ref);
}

BlockMemoFile::BlockMemoFile(const std::filesystem::path& path, std::uint32_t blockSize)
    : path_(path), file_(path), blockSize_(blockSize) {}

void BlockMemoFile::outOfRange(std::uint64_t offset, const std::string& what) const {
    throw TableError(TableErrorCode::MemoOutOfRange, file_.name(), offset,
                     file_.name() + ": " + what + " (the memo file has " +
                         std::to_string(file_.size()) + " bytes)");
}

std::uint64_t BlockMemoFile::offsetOf(std::uint64_t block, std::uint64_t needed) {
    // Compare by division first: block * blockSize must not wrap around.
    if (block > file_.size() / blockSize_)
        outOfRange(0, "memo block " + std::to_string(block) + " lies beyond the end");
    const std::uint64_t offset = block * blockSize_;
    if (offset + needed > file_.size())
        outOfRange(offset, "memo block " + std::to_string(block) + " lies beyond the end");
    return offset;
}

MemoFile::Extent BlockMemoFile::storedRange(std::uint64_t offset, std::uint64_t length) {
    if (length > file_.size() || offset > file_.size() - length)
        outOfRange(offset, "a memo of " + std::to_string(length) + " bytes at offset " +
                               std::to_string(offset) + " runs past the end");
    if (length > kUncheckedLength) {
        const std::uint64_t stored = StoredBytesIn(path_, offset, length);
        if (stored < length / 2)
            outOfRange(offset, "a memo of " + std::to_string(length) + " bytes at offset " +
                                   std::to_string(offset) + " is not stored there (only " +
                                   std::to_string(stored) +
                                   " of its bytes are on disk, the rest is a hole)");
    }
    return {offset, length, Read::Whole};
}

void BlockMemoFile::readPart(const Extent& extent, std::uint64_t from, char* into,
                             std::size_t count) {
    file_.readAt(extent.offset + from, into, count);
}

DBase3MemoFile::DBase3MemoFile(const std::filesystem::path& path)
    : BlockMemoFile(path, kDBase3BlockSize) {}

DBase3MemoFile::DBase3MemoFile(const std::filesystem::path& path, std::uint32_t blockSize)
    : BlockMemoFile(path, blockSize) {}

MemoFile::Extent DBase3MemoFile::locate(const Ref& ref) {
    return terminatedAt(offsetOf(ref.block, 1));
}

// Looks block after block for the terminator. A memo without one ends with the file,
// or with the data a sparse file stores (a hole holds no text), and then nothing tells
// how much of it is missing: the text there is kept, and the caller learns that it was
// cut short.
MemoFile::Extent DBase3MemoFile::terminatedAt(std::uint64_t offset) {
    if (lastFound_ && lastFound_->offset == offset)
        return *lastFound_;
    Extent extent{offset, 0, Read::CutShort};
    const std::uint64_t end = file_.size() - offset > kUncheckedLength
                                  ? StoredDataEnd(path_, offset, file_.size())
                                  : file_.size();
    std::array<char, kDBase3BlockSize> chunk{};
    for (std::uint64_t at = offset; at < end;) {
        const std::size_t got = file_.readSomeAt(
            at, chunk.data(),
            static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), end - at)));
        const auto found = std::find(chunk.begin(), chunk.begin() + got, kMemoEnd);
        extent.length += static_cast<std::uint64_t>(found - chunk.begin());
        if (found != chunk.begin() + got) {
            extent.read = Read::Whole;
            break;
        }
        at += got;
    }
    lastFound_ = extent;
    return extent;
}

DBase4MemoFile::DBase4MemoFile(const std::filesystem::path& path, std::uint32_t blockSize)
    : DBase3MemoFile(path, blockSize) {}

std::optional<MemoFile::Extent> DBase4MemoFile::markedExtent(std::uint64_t offset) {
    std::array<char, kMemoHeaderSize> header{};
    const std::size_t got = file_.readSomeAt(offset, header.data(), header.size());
    const auto* bytes = Bytes(header.data());
    const bool marked = got == header.size() && bytes[0] == 0xFF && bytes[1] == 0xFF &&
                        bytes[2] == 0x08 && bytes[3] == 0x00;
    if (!marked)
        return std::nullopt;
    const std::uint32_t length = ReadLittle32(bytes + 4);
    return storedRange(offset + kMemoHeaderSize,
                       length > kMemoHeaderSize ? length - kMemoHeaderSize : 0);
}

MemoFile::Extent DBase4MemoFile::locate(const Ref& ref) {
    const std::uint64_t offset = offsetOf(ref.block, 1);
    if (const auto marked = markedExtent(offset))
        return *marked;
    return terminatedAt(offset);
}

FoxProMemoFile::FoxProMemoFile(const std::filesystem::path& path, std::uint32_t blockSize)
    : BlockMemoFile(path, blockSize) {}

MemoFile::Extent FoxProMemoFile::locate(const Ref& ref) {
    const std::uint64_t offset = offsetOf(ref.block, kMemoHeaderSize);
    std::array<char, kMemoHeaderSize> header{};
    file_.readAt(offset, header.data(), header.size());
    return storedRange(offset + kMemoHeaderSize, ReadBig32(Bytes(header.data()) + 4));
}

MemoFile::Pointer MemoFile::parsePointer(std::string_view field, Ref& ref) const {
    if (field.size() == 4) {
        // Some writers blank a binary pointer with spaces, as they would a text one; read
        // as a number it would name a block some 30 GB into the memo file.
        if (field == std::string_view("    ", 4))
            return Pointer::None;
        ref.block = ReadLittle32(Bytes(field.data()));
        return ref.block == 0 ? Pointer::None : Pointer::Memo;
    }
    const auto text = TrimPadding(field);
    ref.block = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || ref.block > (UINT64_MAX - 9) / 10)
            return Pointer::NotANumber;
        ref.block = ref.block * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return ref.block == 0 ? Pointer::None : Pointer::Memo;
}

HiPerSixMemoFile::HiPerSixMemoFile(const std::filesystem::path& path, std::uint32_t blockSize)
    : BlockMemoFile(path, blockSize) {}

MemoFile::Pointer HiPerSixMemoFile::parsePointer(std::string_view field, Ref& ref) const {
    if (field.size() != 10)
        return MemoFile::parsePointer(field, ref);
    return ParseHiPerSixPointer(field, ref);
}

MemoFile::Extent HiPerSixMemoFile::locate(const Ref& ref) {
    return storedRange(offsetOf(ref.block, 0), ref.length);
}

} // namespace tabrivel::dbf
