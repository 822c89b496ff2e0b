#include "StatementStore.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace tabrivel {

void StatementStore::append(std::string_view text) {
    if (text.size() > UINT32_MAX)
        throw std::length_error("A statement is too long to keep in the results list.");
    reserveRow();
    const std::uint32_t block = placeText(text);
    Block& target = blocks_[block];
    const std::uint32_t offset = target.used;
    if (!text.empty())
        std::memcpy(target.data.get() + offset, text.data(), text.size());
    target.used += static_cast<std::uint32_t>(text.size());
    rows_.push_back({block, offset, static_cast<std::uint32_t>(text.size())});
    textBytes_ += text.size();
}

std::string_view StatementStore::at(std::size_t row) const {
    const Row& r = rows_.at(row);
    if (r.length == 0)
        return {};
    return {blocks_[r.block].data.get() + r.offset, r.length};
}

void StatementStore::erase(std::size_t row) {
    const Row gone = rows_.at(row);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
    textBytes_ -= gone.length;
    Block& block = blocks_[gone.block];
    const std::uint32_t tail = gone.offset + gone.length;
    std::memmove(block.data.get() + gone.offset, block.data.get() + tail, block.used - tail);
    block.used -= gone.length;
    // Statements are placed in order, so only later rows can sit behind the gap.
    for (auto it = rows_.begin() + static_cast<std::ptrdiff_t>(row); it != rows_.end(); ++it) {
        if (it->block == gone.block && it->offset > gone.offset)
            it->offset -= gone.length;
    }
    if (gone.block != openBlock_)
        shrinkIfSparse(block);
}

void StatementStore::shrinkIfSparse(Block& block) {
    // A block that takes no more statements is cut down to its text once a fifth of it
    // is free, so removing many rows gives their memory back and the list stays within
    // a quarter of its text size.
    if (std::uint64_t(block.used) * 5 > std::uint64_t(block.capacity) * 4)
        return;
    std::unique_ptr<char[]> smaller;
    if (block.used > 0) {
        smaller = std::make_unique_for_overwrite<char[]>(block.used);
        std::memcpy(smaller.get(), block.data.get(), block.used);
    }
    block.data = std::move(smaller);
    block.capacity = block.used;
}

void StatementStore::clear() {
    // Swapped out rather than cleared, so the memory is given back at once.
    std::vector<Block>().swap(blocks_);
    std::vector<Row>().swap(rows_);
    openBlock_ = UINT32_MAX;
    textBytes_ = 0;
}

std::size_t StatementStore::memoryBytes() const {
    std::size_t bytes =
        sizeof(*this) + blocks_.capacity() * sizeof(Block) + rows_.capacity() * sizeof(Row);
    for (const Block& block : blocks_)
        bytes += block.capacity;
    return bytes;
}

std::uint32_t StatementStore::placeText(std::string_view text) {
    if (text.size() > kOwnBlockFrom)
        return addBlock(text.size());
    const bool fits = openBlock_ != UINT32_MAX &&
                      blocks_[openBlock_].capacity - blocks_[openBlock_].used >= text.size();
    if (!fits)
        openBlock_ = addBlock(nextBlockCapacity());
    return openBlock_;
}

std::uint32_t StatementStore::addBlock(std::size_t capacity) {
    if (blocks_.size() == blocks_.capacity())
        blocks_.reserve(blocks_.size() + blocks_.size() / 4 + 16);
    Block block;
    block.data = std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(capacity, 1));
    block.capacity = static_cast<std::uint32_t>(capacity);
    blocks_.push_back(std::move(block));
    return static_cast<std::uint32_t>(blocks_.size() - 1);
}

std::size_t StatementStore::nextBlockCapacity() const {
    // Blocks grow with the list, so the one still being filled is never a large share.
    return std::clamp(textBytes_ / 16, kMinBlock, kMaxBlock);
}

void StatementStore::reserveRow() {
    // A quarter more at a time rather than the usual doubling keeps the records near
    // their real size for very long lists.
    if (rows_.size() == rows_.capacity())
        rows_.reserve(rows_.size() + rows_.size() / 4 + 1024);
}

} // namespace tabrivel
