#pragma once

#include "engine/dbf/BinaryFile.h"

#include <cstdint>
#include <vector>

namespace tabrivel::dbf {

// Hands out the table's records one at a time while reading the file in large
// chunks, so memory stays bounded however many records the table holds.
class RecordStream {
public:
    RecordStream(BinaryFile& file, std::uint64_t firstOffset, std::uint32_t recordLength,
                 std::uint64_t recordCount);

    // The next record's bytes (recordLength of them), or nullptr after the last.
    const char* next();

private:
    void refill();

    BinaryFile& file_;
    std::uint64_t offset_;
    std::uint32_t recordLength_;
    std::uint64_t remaining_;
    std::vector<char> buffer_;
    const char* chunk_ = nullptr; // in the mapped file or in buffer_
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
};

} // namespace tabrivel::dbf
