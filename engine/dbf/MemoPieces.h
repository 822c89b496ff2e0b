#pragma once

#include "engine/ValuePieces.h"
#include "engine/dbf/MemoFile.h"
#include "engine/dbf/TextDecoder.h"

#include <functional>
#include <string>

namespace tabrivel::dbf {

// A long memo read from its file and decoded one window at a time whenever its
// statement asks for it, so that only the statement ever holds it whole.
class MemoPieces final : public ValuePieces {
public:
    // Raw bytes per piece: the fixed window a long memo costs beyond its statement.
    static constexpr std::size_t kPieceLength = std::size_t{1024} * 1024;

    // The memo at `extent`, decoded by `text`, or as raw bytes when `text` is null. A text
    // found to hold NUL bytes before other bytes is told to `nulInside`, once.
    void point(MemoFile& memo, const MemoFile::Extent& extent, TextDecoder* text,
               std::function<void()> nulInside = {});

    void forEach(const std::function<void(std::string_view)>& take) override;

private:
    void watchNuls(std::string_view text);

    MemoFile* memo_ = nullptr;
    MemoFile::Extent extent_;
    TextDecoder* text_ = nullptr;
    std::function<void()> nulInside_;
    bool nulSeen_ = false; // a NUL so far, in this or an earlier piece
    std::string raw_;
    std::string decoded_;
};

} // namespace tabrivel::dbf
