#include "TextDecoder.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <stdexcept>

namespace tabrivel::dbf {
namespace {

UConverter* OpenConverter(const std::string& name) {
    if (name.empty())
        return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name.c_str(), &status);
    if (U_FAILURE(status)) {
        ucnv_close(converter);
        return nullptr;
    }
    return converter;
}

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

bool IsKnownCodePage(const std::string& name) {
    UConverter* converter = OpenConverter(name);
    ucnv_close(converter);
    return converter != nullptr;
}

void TextDecoder::ConverterCloser::operator()(UConverter* converter) const {
    ucnv_close(converter);
}

TextDecoder::TextDecoder(const std::string& codePage) : converter_(OpenConverter(codePage)) {
    if (!converter_)
        throw std::invalid_argument("unknown code page " + codePage);
    singleByte_ = ucnv_getMaxCharSize(converter_.get()) == 1;
    if (singleByte_)
        buildTable();
}

TextDecoder::~TextDecoder() = default;

void TextDecoder::buildTable() {
    asciiIsIdentity_ = true;
    for (int byte = 0; byte < 256; ++byte) {
        const char in = static_cast<char>(byte);
        UChar wide[4];
        UErrorCode status = U_ZERO_ERROR;
        ucnv_reset(converter_.get());
        const int32_t units = ucnv_toUChars(converter_.get(), wide, 4, &in, 1, &status);
        auto& entry = table_[static_cast<std::size_t>(byte)];
        int32_t length = 0;
        UErrorCode utf8Status = U_ZERO_ERROR;
        if (U_SUCCESS(status))
            u_strToUTF8(entry.bytes.data(), 4, &length, wide, units, &utf8Status);
        if (U_FAILURE(status) || U_FAILURE(utf8Status) || length > 4 || length == 0) {
            entry.bytes = {'\xEF', '\xBF', '\xBD', '\0'}; // U+FFFD
            length = 3;
        }
        entry.length = static_cast<std::uint8_t>(length);
        if (byte < 0x80 && (length != 1 || entry.bytes[0] != in))
            asciiIsIdentity_ = false;
    }
}

void TextDecoder::append(std::string_view bytes, std::string& out) {
    if (singleByte_)
        appendSingleByte(bytes, out);
    else
        appendMultiByte(bytes, out);
}

void TextDecoder::appendSingleByte(std::string_view bytes, std::string& out) const {
    const std::size_t start = out.size();
    out.resize(start + bytes.size() * 3);
    char* write = out.data() + start;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80 && asciiIsIdentity_) {
            *write++ = c;
            continue;
        }
        const auto& entry = table_[byte];
        write = std::copy_n(entry.bytes.data(), entry.length, write);
    }
    out.resize(static_cast<std::size_t>(write - out.data()));
}

void TextDecoder::appendMultiByte(std::string_view bytes, std::string& out) {
    if (IsAscii(bytes)) {
        out.append(bytes);
        return;
    }
    // At most one UTF-16 unit per input byte, and at most three UTF-8 bytes per unit.
    wide_.resize(bytes.size() + 1);
    UErrorCode status = U_ZERO_ERROR;
    ucnv_reset(converter_.get());
    const int32_t units = ucnv_toUChars(converter_.get(), reinterpret_cast<UChar*>(wide_.data()),
                                        static_cast<int32_t>(wide_.size()), bytes.data(),
                                        static_cast<int32_t>(bytes.size()), &status);
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(units) * 3 + 1);
    int32_t length = 0;
    UErrorCode utf8Status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data() + start, static_cast<int32_t>(out.size() - start), &length,
                       reinterpret_cast<const UChar*>(wide_.data()), units, 0xFFFD, nullptr,
                       &utf8Status);
    if (U_SUCCESS(status) && U_SUCCESS(utf8Status)) {
        out.resize(start + static_cast<std::size_t>(length));
        return;
    }
    // Never drop a value: keep its ASCII and mark every other byte.
    out.resize(start);
    for (const char c : bytes)
        out.append(static_cast<unsigned char>(c) < 0x80 ? std::string_view(&c, 1)
                                                        : std::string_view("\xEF\xBF\xBD"));
}

} // namespace tabrivel::dbf
