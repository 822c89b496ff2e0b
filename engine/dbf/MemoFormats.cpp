#include "MemoFormats.h"

#include "ByteOrder.h"
#include "NumberText.h"
#include "TableError.h"

#include <algorithm>
#include <array>

namespace tabrivel::dbf {
namespace {

constexpr std::uint32_t kDBase3BlockSize = 512;
constexpr char kMemoEnd = 0x1A;
constexpr std::uint64_t kMemoHeaderSize = 8;

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
    : file_(path), blockSize_(blockSize) {}

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

void BlockMemoFile::appendRange(std::uint64_t offset, std::uint64_t length, std::string& out) {
    if (length > file_.size() || offset > file_.size() - length)
        outOfRange(offset, "a memo of " + std::to_string(length) + " bytes at offset " +
                               std::to_string(offset) + " runs past the end");
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(length));
    file_.readAt(offset, out.data() + start, static_cast<std::size_t>(length));
}

DBase3MemoFile::DBase3MemoFile(const std::filesystem::path& path)
    : BlockMemoFile(path, kDBase3BlockSize) {}

DBase3MemoFile::DBase3MemoFile(const std::filesystem::path& path, std::uint32_t blockSize)
    : BlockMemoFile(path, blockSize) {}

MemoFile::Read DBase3MemoFile::read(const Ref& ref, std::string& out) {
    return readToTerminator(offsetOf(ref.block, 1), out);
}

// Reads block after block until the terminator. A memo without one ends with the file,
// and then nothing tells how much of it is missing: the text there is kept, and the
// caller learns that it was cut short.
MemoFile::Read DBase3MemoFile::readToTerminator(std::uint64_t offset, std::string& out) {
    std::array<char, kDBase3BlockSize> chunk{};
    while (offset < file_.size()) {
        const std::size_t got = file_.readSomeAt(offset, chunk.data(), chunk.size());
        const auto end = std::find(chunk.begin(), chunk.begin() + got, kMemoEnd);
        out.append(chunk.data(), static_cast<std::size_t>(end - chunk.begin()));
        if (end != chunk.begin() + got)
            return Read::Whole;
        offset += got;
    }
    return Read::CutShort;
}

DBase4MemoFile::DBase4MemoFile(const std::filesystem::path& path, std::uint32_t blockSize)
    : DBase3MemoFile(path, blockSize) {}

MemoFile::Read DBase4MemoFile::read(const Ref& ref, std::string& out) {
    const std::uint64_t offset = offsetOf(ref.block, 1);
    std::array<char, kMemoHeaderSize> header{};
    const std::size_t got = file_.readSomeAt(offset, header.data(), header.size());
    const auto* bytes = Bytes(header.data());
    const bool marked = got == header.size() && bytes[0] == 0xFF && bytes[1] == 0xFF &&
                        bytes[2] == 0x08 && bytes[3] == 0x00;
    if (!marked)
        return readToTerminator(offset, out);
    const std::uint32_t length = ReadLittle32(bytes + 4);
    if (length > kMemoHeaderSize)
        appendRange(offset + kMemoHeaderSize, length - kMemoHeaderSize, out);
    return Read::Whole;
}

FoxProMemoFile::FoxProMemoFile(const std::filesystem::path& path, std::uint32_t blockSize)
    : BlockMemoFile(path, blockSize) {}

MemoFile::Read FoxProMemoFile::read(const Ref& ref, std::string& out) {
    const std::uint64_t offset = offsetOf(ref.block, kMemoHeaderSize);
    std::array<char, kMemoHeaderSize> header{};
    file_.readAt(offset, header.data(), header.size());
    const std::uint32_t length = ReadBig32(Bytes(header.data()) + 4);
    appendRange(offset + kMemoHeaderSize, length, out);
    return Read::Whole;
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

MemoFile::Read HiPerSixMemoFile::read(const Ref& ref, std::string& out) {
    appendRange(offsetOf(ref.block, 0), ref.length, out);
    return Read::Whole;
}

} // namespace tabrivel::dbf
