#include "results/StatementStore.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace tabrivel {

void StatementStore::append(std::string_view text) {
    if (text.size() > UINT32_MAX)
        throw std::length_error("A statement is too long to keep in the results list.");
    reserveRow();
    Block& target = lastBlockFor(text.size());
    if (!text.empty())
        std::memcpy(target.data.get() + target.used, text.data(), text.size());
    target.used += static_cast<std::uint32_t>(text.size());
    ends_.push_back(textBytes() + text.size());
}

std::string_view StatementStore::at(std::size_t row) const {
    const std::uint64_t end = ends_.at(row);
    const std::uint64_t begin = row == 0 ? 0 : ends_[row - 1];
    if (begin == end)
        return {};
    const Block& block = blockHolding(begin);
    return {block.data.get() + (begin - block.start), static_cast<std::size_t>(end - begin)};
}

const StatementStore::Block& StatementStore::blockHolding(std::uint64_t position) const {
    // The last block starting at or before the position: blocks emptied by removals
    // share their start with the next block and are passed over.
    const auto after =
        std::upper_bound(blocks_.begin(), blocks_.end(), position,
                         [](std::uint64_t at, const Block& block) { return at < block.start; });
    return *(after - 1);
}

void StatementStore::erase(std::size_t row) {
    const std::uint64_t end = ends_.at(row);
    const std::uint64_t begin = row == 0 ? 0 : ends_[row - 1];
    const std::uint64_t length = end - begin;
    ends_.erase(ends_.begin() + static_cast<std::ptrdiff_t>(row));
    if (length == 0)
        return;
    auto& block = const_cast<Block&>(blockHolding(begin));
    const auto offset = static_cast<std::size_t>(begin - block.start);
    std::memmove(block.data.get() + offset, block.data.get() + offset + length,
                 block.used - offset - length);
    block.used -= static_cast<std::uint32_t>(length);
    for (auto it = ends_.begin() + static_cast<std::ptrdiff_t>(row); it != ends_.end(); ++it)
        *it -= length;
    for (Block* later = &block + 1; later != blocks_.data() + blocks_.size(); ++later)
        later->start -= length;
    if (&block != &blocks_.back())
        shrinkIfSparse(block);
}

void StatementStore::shrink(Block& block) {
    std::unique_ptr<char[]> smaller;
    if (block.used > 0) {
        smaller = std::make_unique_for_overwrite<char[]>(block.used);
        std::memcpy(smaller.get(), block.data.get(), block.used);
    }
    block.data = std::move(smaller);
    block.capacity = block.used;
}

void StatementStore::shrinkIfSparse(Block& block) {
    // A block that takes no more statements is cut down to its text once a fifth of it
    // is free, so removing many rows gives their memory back.
    if (std::uint64_t(block.used) * 5 > std::uint64_t(block.capacity) * 4)
        return;
    shrink(block);
}

void StatementStore::clear() {
    // Swapped out rather than cleared, so the memory is given back at once.
    std::vector<Block>().swap(blocks_);
    std::vector<std::uint64_t>().swap(ends_);
}

std::size_t StatementStore::memoryBytes() const {
    std::size_t bytes = sizeof(*this) + blocks_.capacity() * sizeof(Block) +
                        ends_.capacity() * sizeof(std::uint64_t);
    for (const Block& block : blocks_)
        bytes += block.capacity;
    return bytes;
}

StatementStore::Block& StatementStore::lastBlockFor(std::size_t length) {
    if (!blocks_.empty() && blocks_.back().capacity - blocks_.back().used >= length)
        return blocks_.back();
    // Texts stay in list order, so a block that cannot take the next statement takes
    // no more: a large unused tail is given back before the next block is made.
    if (!blocks_.empty() && blocks_.back().capacity - blocks_.back().used > kOwnBlockFrom)
        shrink(blocks_.back());
    addBlock(length > kOwnBlockFrom ? length : nextBlockCapacity());
    return blocks_.back();
}

void StatementStore::addBlock(std::size_t capacity) {
    if (blocks_.size() == blocks_.capacity())
        blocks_.reserve(blocks_.size() + blocks_.size() / 4 + 16);
    Block block;
    block.data = std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(capacity, 1));
    block.capacity = static_cast<std::uint32_t>(capacity);
    block.start = textBytes();
    blocks_.push_back(std::move(block));
}

std::size_t StatementStore::nextBlockCapacity() const {
    // Blocks grow with the list, so the one still being filled is never a large share.
    return std::clamp(textBytes() / 32, kMinBlock, kMaxBlock);
}

void StatementStore::reserveRow() {
    // A quarter more at a time rather than the usual doubling keeps the positions near
    // their real size for very long lists.
    if (ends_.size() == ends_.capacity())
        ends_.reserve(ends_.size() + ends_.size() / 4 + 1024);
}

} // namespace tabrivel
