#pragma once

#include <functional>
#include <string_view>

namespace tabrivel {

// A value too long to keep whole beside the statement it goes into: its text (UTF-8,
// or the raw bytes of binary data) is produced piece by piece, in order, each time it
// is asked for.
class ValuePieces {
public:
    virtual ~ValuePieces() = default;

    // Calls `take` with each piece in order; a piece is valid only during its call.
    virtual void forEach(const std::function<void(std::string_view)>& take) = 0;
};

} // namespace tabrivel
