#include "engine/dbf/RecordStream.h"

#include <algorithm>

namespace tabrivel::dbf {
namespace {

constexpr std::size_t kChunkBytes = 1 << 20;

} // namespace

RecordStream::RecordStream(BinaryFile& file, std::uint64_t firstOffset, std::uint32_t recordLength,
                           std::uint64_t recordCount)
    : file_(file), offset_(firstOffset), recordLength_(recordLength), remaining_(recordCount) {}

const char* RecordStream::next() {
    if (position_ == filled_) {
        if (remaining_ == 0)
            return nullptr;
        refill();
    }
    const char* record = chunk_ + position_;
    position_ += recordLength_;
    return record;
}

void RecordStream::refill() {
    const std::uint64_t perChunk = std::max<std::uint64_t>(1, kChunkBytes / recordLength_);
    const auto records = static_cast<std::size_t>(std::min(perChunk, remaining_));
    const std::size_t bytes = records * recordLength_;
    chunk_ = file_.viewAt(offset_, bytes);
    if (!chunk_) {
        if (buffer_.size() < bytes)
            buffer_.resize(bytes);
        file_.readAt(offset_, buffer_.data(), bytes);
        chunk_ = buffer_.data();
    }
    offset_ += bytes;
    remaining_ -= records;
    position_ = 0;
    filled_ = bytes;
}

} // namespace tabrivel::dbf
