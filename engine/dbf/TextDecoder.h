#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct UConverter;

namespace tabrivel::dbf {

struct SingleByteTable;

bool IsKnownCodePage(const std::string& name);

// Whether tables can be stored in the code page: ICU knows it and it decodes each
// value on its own, without state carried from byte to byte (escape sequences, shift
// states, Unicode compression such as SCSU and BOCU-1, UTF-7, UTF-16).
bool IsTableCodePage(const std::string& name);

// Turns a table's bytes into UTF-8. Single-byte code pages are decoded through a
// 256-entry table shared by every table of that code page; multi-byte ones go through
// ICU. Bytes a code
// page does not define become U+FFFD, so a value is never dropped.
class TextDecoder {
public:
    // Throws std::invalid_argument when ICU does not know the code page. With
    // `acceptUtf8`, a value whose bytes are well-formed UTF-8 is taken as UTF-8: for
    // tables whose code page is only a guess.
    explicit TextDecoder(const std::string& codePage, bool acceptUtf8 = false);
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    // Appends the UTF-8 form of `bytes` to `out`.
    void append(std::string_view bytes, std::string& out);

    // The UTF-8 form of `bytes`: the bytes themselves where they already are (ASCII in a
    // code page that keeps ASCII as itself), else decoded onto the end of `out`.
    std::string_view decode(std::string_view bytes, std::string& out);

    // Whether ASCII bytes decode as themselves, so that they can be handed on as they are.
    bool keepsAscii() const { return asciiIsIdentity_; }

    // Whether decoding `bytes` puts U+FFFD in place of bytes that are no UTF-8, in a
    // table whose code page is UTF-8. Only for bytes that are not plain ASCII.
    bool replacesInvalidUtf8(std::string_view bytes) const;

    // Appends the UTF-8 form of one piece of a long value, pieces in order: a character
    // whose bytes straddle two pieces is decoded whole with the second.
    void appendPiece(std::string_view bytes, bool first, bool last, std::string& out);

    // Decodes bytes 0x80 to 0xFF as `upper` says, for code pages we ship ourselves.
    // Only for a single-byte code page whose lower half is ASCII.
    void replaceUpperHalf(const std::array<char16_t, 128>& upper);

private:
    void appendConverted(std::string_view bytes, std::string& out);
    void appendSingleByte(std::string_view bytes, std::string& out);
    void appendMultiByte(std::string_view bytes, std::string& out);

    struct ConverterCloser {
        void operator()(UConverter* converter) const;
    };
    std::unique_ptr<UConverter, ConverterCloser> converter_;
    bool singleByte_ = false;
    bool acceptUtf8_ = false;
    bool asciiIsIdentity_ = false;
    bool utf8_ = false;
    std::shared_ptr<const SingleByteTable> table_; // single-byte code pages only
    std::vector<char16_t> wide_;                   // reused between calls on the multi-byte path
    std::unique_ptr<char[]> decoded_;              // reused between calls on the single-byte path
    std::size_t decodedRoom_ = 0;
};

} // namespace tabrivel::dbf
