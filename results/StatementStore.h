#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tabrivel {

// Holds many statements as UTF-8 text at little more than the cost of their bytes:
// the text lives in large shared blocks and each statement costs a small fixed record,
// so a million statements never cost a million separate strings.
class StatementStore {
public:
    void append(std::string_view text);
    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    // Valid until the store is next changed.
    std::string_view at(std::size_t row) const;
    // Later statements move up by one place; the freed bytes are given back to the block.
    void erase(std::size_t row);
    void clear();

    // Bytes of statement text held.
    std::size_t textBytes() const { return textBytes_; }
    // Bytes the store has allocated for text, records and bookkeeping.
    std::size_t memoryBytes() const;

    // A statement longer than this gets a block of its own, so a long statement never
    // leaves a large unused tail behind in a shared block.
    static constexpr std::size_t kOwnBlockFrom = 8 * 1024;
    static constexpr std::size_t kMinBlock = 64 * 1024;
    static constexpr std::size_t kMaxBlock = 16 * 1024 * 1024;

private:
    struct Block {
        std::unique_ptr<char[]> data;
        std::uint32_t capacity = 0;
        std::uint32_t used = 0;
    };
    struct Row {
        std::uint32_t block;
        std::uint32_t offset;
        std::uint32_t length;
    };

    std::uint32_t placeText(std::string_view text);
    std::uint32_t addBlock(std::size_t capacity);
    std::size_t nextBlockCapacity() const;
    void reserveRow();
    void shrinkIfSparse(Block& block);

    std::vector<Block> blocks_;
    std::vector<Row> rows_;
    // The shared block that takes the next short statement; none before the first.
    std::uint32_t openBlock_ = UINT32_MAX;
    std::size_t textBytes_ = 0;
};

} // namespace tabrivel
