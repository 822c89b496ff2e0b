#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tabrivel {

// Holds many statements as UTF-8 text at little more than the cost of their bytes:
// the text lives in large blocks, one statement after the other in list order, and
// each statement costs only the position where its text ends, so a million statements
// never cost a million separate strings.
class StatementStore {
public:
    void append(std::string_view text);
    std::size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    // Valid until the store is next changed.
    std::string_view at(std::size_t row) const;
    // Later statements move up by one place; the freed bytes are given back to the block.
    void erase(std::size_t row);
    void clear();

    // Bytes of statement text held.
    std::size_t textBytes() const { return ends_.empty() ? 0 : ends_.back(); }
    // Bytes the store has allocated for text, positions and bookkeeping.
    std::size_t memoryBytes() const;

    // A statement longer than this that does not fit the last block gets a block of its
    // own; a block is cut to its text when it is left with more free than this.
    static constexpr std::size_t kOwnBlockFrom = std::size_t{8} * 1024;
    static constexpr std::size_t kMinBlock = std::size_t{64} * 1024;
    static constexpr std::size_t kMaxBlock = std::size_t{16} * 1024 * 1024;

private:
    // The texts are numbered by one running byte position across all blocks, counting
    // only the bytes in use: a block holds the positions [start, start + used).
    struct Block {
        std::unique_ptr<char[]> data;
        std::uint64_t start = 0;
        std::uint32_t capacity = 0;
        std::uint32_t used = 0;
    };

    const Block& blockHolding(std::uint64_t position) const;
    Block& lastBlockFor(std::size_t length);
    void addBlock(std::size_t capacity);
    std::size_t nextBlockCapacity() const;
    void reserveRow();
    static void shrink(Block& block);
    void shrinkIfSparse(Block& block);

    std::vector<Block> blocks_;
    // Where each statement's text ends; it begins where the one before ends.
    std::vector<std::uint64_t> ends_;
};

} // namespace tabrivel
