#include "engine/dbf/MemoPieces.h"

#include <algorithm>

namespace tabrivel::dbf {

void MemoPieces::point(MemoFile& memo, const MemoFile::Extent& extent, TextDecoder* text,
                       std::function<void()> nulInside) {
    memo_ = &memo;
    extent_ = extent;
    text_ = text;
    nulInside_ = std::move(nulInside);
    nulSeen_ = false;
}

// NULs at a text's end are block padding; one before any other byte is a loss, told once.
void MemoPieces::watchNuls(std::string_view text) {
    if (!nulInside_)
        return;
    const std::size_t nul = nulSeen_ ? 0 : text.find('\0');
    if (nul == std::string_view::npos)
        return;
    nulSeen_ = true;
    if (text.find_first_not_of('\0', nul) == std::string_view::npos)
        return;
    nulInside_();
    nulInside_ = nullptr;
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
        watchNuls(decoded_);
        take(decoded_);
    }
}

} // namespace tabrivel::dbf
