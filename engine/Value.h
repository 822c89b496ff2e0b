#pragma once

#include <cstdint>
#include <string_view>

namespace tabrivel {

// What a field of a record holds once the table source has decoded it.
enum class ValueType : std::uint8_t {
    Null,
    Text,     // decoded text, UTF-8, exactly as stored (padding kept)
    Number,   // canonical decimal: optional '-', digits, optional '.' and digits
    Date,     // "yyyy-MM-dd"
    DateTime, // "yyyy-MM-dd HH:mm:ss"
    Logical,  // "True" or "False"
    Binary,   // raw bytes
};

class ValuePieces;

// A decoded value. The text views the reader's buffers and stays valid until the
// reader moves to the next record, so values are cheap to hand around in the hot loop.
// A very long memo comes as `pieces` instead, with an empty text, so that it is never
// held whole more than once.
struct Value {
    ValueType type = ValueType::Null;
    // Set where the reader saw, while it had the bytes in hand anyway, that the text holds
    // no apostrophe and no NUL: a quoted literal then takes it as it stands. Unset says
    // nothing either way.
    bool literalAsIs = false;
    std::string_view text;
    ValuePieces* pieces = nullptr;

    static Value null() { return {}; }
    static Value of(ValueType type, std::string_view text) { return {type, false, text, nullptr}; }
    static Value literalText(std::string_view text) {
        return {ValueType::Text, true, text, nullptr};
    }
    static Value inPieces(ValueType type, ValuePieces& pieces) {
        return {type, false, {}, &pieces};
    }
};

} // namespace tabrivel
