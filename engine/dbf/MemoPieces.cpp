#include "engine/dbf/MemoPieces.h"

#include <algorithm>

namespace tabrivel::dbf {

void MemoPieces::point(MemoFile& memo, const MemoFile::Extent& extent, TextDecoder* text) {
    memo_ = &memo;
    extent_ = extent;
    text_ = text;
}

void MemoPieces::forEach(const std::function<void(std::string_view)>& take) {
    for (std::uint64_t from = 0; from < extent_.length;) {
        const auto count =
            static_cast<std::size_t>(std::min<std::uint64_t>(kPieceLength, extent_.length - from));
        raw_.resize(count);
        memo_->readPart(extent_, from, raw_.data(), count);
        const bool first = from == 0;
        from += count;
        if (!text_) {
            take(raw_);
            continue;
        }
        decoded_.clear();
        text_->appendPiece(raw_, first, from == extent_.length, decoded_);
        take(decoded_);
    }
}

} // namespace tabrivel::dbf
