#include "engine/dbf/TextDecoder.h"

#include "engine/dbf/AsciiScan.h"
#include "engine/dbf/SingleByteTable.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
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

// Continuation bytes and the ranges that exclude overlong forms and surrogates.
std::size_t Utf8SequenceLength(const unsigned char* p, std::size_t left) {
    const auto in = [](unsigned char c, unsigned char low, unsigned char high) {
        return c >= low && c <= high;
    };
    const unsigned char lead = p[0];
    if (lead < 0x80)
        return 1;
    std::size_t length = in(lead, 0xC2, 0xDF)   ? 2
                         : in(lead, 0xE0, 0xEF) ? 3
                         : in(lead, 0xF0, 0xF4) ? 4
                                                : 0;
    if (length == 0 || length > left)
        return 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead == 0xE0)
        low = 0xA0;
    else if (lead == 0xED)
        high = 0x9F;
    else if (lead == 0xF0)
        low = 0x90;
    else if (lead == 0xF4)
        high = 0x8F;
    if (!in(p[1], low, high))
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!in(p[i], 0x80, 0xBF))
            return 0;
    return length;
}

// Tables store each value on its own, in a code page where a byte below 0x80 is
// either itself or, in EBCDIC and pure double-byte pages, a fixed other character.
// Encodings that carry state from byte to byte (escape sequences, shifts, dynamic
// windows) or that compress Unicode were never a table's code page; decoding them
// value by value gives text no writer meant.
bool HasTableConverterType(const UConverter* converter) {
    switch (ucnv_getType(converter)) {
    case UCNV_SBCS:
    case UCNV_DBCS:
    case UCNV_MBCS:
    case UCNV_LATIN_1:
    case UCNV_UTF8:
    case UCNV_US_ASCII:
        return true;
    default:
        return false;
    }
}

// Whether each byte below 0x80, decoded on its own, is that same character: only
// then may ASCII text skip the converter.
bool DecodesAsciiAsItself(UConverter* converter) {
    for (int byte = 0; byte < 0x80; ++byte) {
        const char in = static_cast<char>(byte);
        UChar wide[4];
        UErrorCode status = U_ZERO_ERROR;
        ucnv_reset(converter);
        const int32_t units = ucnv_toUChars(converter, wide, 4, &in, 1, &status);
        if (U_FAILURE(status) || units != 1 || wide[0] != byte)
            return false;
    }
    return true;
}

bool IsUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(p + at, bytes.size() - at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

int32_t DecodeToWide(UConverter* converter, std::string_view bytes, std::vector<char16_t>& wide,
                     UErrorCode& status) {
    // Table code pages give at most one UTF-16 unit per byte; should one ever give
    // more, ICU reports the length it needs and the value is converted again into a
    // buffer of that size, so nothing beyond the buffer is ever read.
    wide.resize(bytes.size() + 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
        status = U_ZERO_ERROR;
        ucnv_reset(converter);
        const int32_t units = ucnv_toUChars(converter, reinterpret_cast<UChar*>(wide.data()),
                                            static_cast<int32_t>(wide.size()), bytes.data(),
                                            static_cast<int32_t>(bytes.size()), &status);
        if (status != U_BUFFER_OVERFLOW_ERROR)
            return units;
        wide.resize(static_cast<std::size_t>(units) + 1);
    }
    return 0;
}

// Appends `units` UTF-16 units as UTF-8; false when ICU refuses them.
bool AppendUtf8(const char16_t* wide, int32_t units, std::string& out) {
    const std::size_t start = out.size();
    // At most three UTF-8 bytes per UTF-16 unit.
    out.resize(start + static_cast<std::size_t>(units) * 3 + 1);
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8WithSub(out.data() + start, static_cast<int32_t>(out.size() - start), &length,
                       reinterpret_cast<const UChar*>(wide), units, 0xFFFD, nullptr, &status);
    out.resize(U_SUCCESS(status) ? start + static_cast<std::size_t>(length) : start);
    return U_SUCCESS(status);
}

// Never drop a value: keep its ASCII and mark every other byte.
void AppendMarked(std::string_view bytes, std::string& out) {
    for (const char c : bytes)
        out.append(static_cast<unsigned char>(c) < 0x80 ? std::string_view(&c, 1)
                                                        : std::string_view("\xEF\xBF\xBD"));
}

// What a code page is, worked out once: a folder of thousands of tables asked ICU the
// same questions, and opened the same converter three times, for each of them.
struct CodePageFacts {
    bool known = false;
    bool tableCodePage = false;
    bool singleByte = false;
    bool asciiIsIdentity = false;
    std::shared_ptr<const SingleByteTable> table; // single-byte code pages only
};

CodePageFacts LearnFacts(const std::string& name) {
    CodePageFacts facts;
    UConverter* converter = OpenConverter(name);
    if (!converter)
        return facts;
    facts.known = true;
    facts.tableCodePage = HasTableConverterType(converter);
    facts.singleByte = ucnv_getMaxCharSize(converter) == 1;
    if (facts.singleByte) {
        facts.table = SharedSingleByteTable(converter);
        facts.asciiIsIdentity = facts.table->asciiIsIdentity;
    } else {
        facts.asciiIsIdentity = DecodesAsciiAsItself(converter);
    }
    ucnv_close(converter);
    return facts;
}

CodePageFacts FactsOf(const std::string& name) {
    static std::mutex mutex;
    static std::map<std::string, CodePageFacts, std::less<>> known;
    const std::lock_guard lock(mutex);
    auto found = known.find(name);
    if (found == known.end())
        found = known.emplace(name, LearnFacts(name)).first;
    return found->second;
}

} // namespace

bool IsKnownCodePage(const std::string& name) {
    return FactsOf(name).known;
}

bool IsTableCodePage(const std::string& name) {
    return FactsOf(name).tableCodePage;
}

void TextDecoder::ConverterCloser::operator()(UConverter* converter) const {
    ucnv_close(converter);
}

// A single-byte code page decodes through its shared table alone; only a multi-byte one
// needs a converter of its own, since a converter carries state while it works.
TextDecoder::TextDecoder(const std::string& codePage, bool acceptUtf8) : acceptUtf8_(acceptUtf8) {
    const CodePageFacts facts = FactsOf(codePage);
    if (!facts.known)
        throw std::invalid_argument("unknown code page " + codePage);
    singleByte_ = facts.singleByte;
    asciiIsIdentity_ = facts.asciiIsIdentity;
    table_ = facts.table;
    if (!singleByte_)
        converter_.reset(OpenConverter(codePage));
    if (!singleByte_ && !converter_)
        throw std::invalid_argument("unknown code page " + codePage);
    if (converter_) {
        UErrorCode status = U_ZERO_ERROR;
        const char* name = ucnv_getName(converter_.get(), &status);
        utf8_ = U_SUCCESS(status) && std::string_view(name) == "UTF-8";
    }
}

bool TextDecoder::replacesInvalidUtf8(std::string_view bytes) const {
    return utf8_ && !IsUtf8(bytes);
}

TextDecoder::~TextDecoder() = default;

void TextDecoder::append(std::string_view bytes, std::string& out) {
    if (asciiIsIdentity_ && IsAscii(bytes))
        out.append(bytes);
    else
        appendConverted(bytes, out);
}

// Bytes that need converting: not plain ASCII, or in a code page whose ASCII is not
// itself. Callers have scanned them already; a field or memo is scanned once.
void TextDecoder::appendConverted(std::string_view bytes, std::string& out) {
    if (acceptUtf8_ && !IsAscii(bytes) && IsUtf8(bytes))
        out.append(bytes);
    else if (singleByte_)
        appendSingleByte(bytes, out);
    else
        appendMultiByte(bytes, out);
}

std::string_view TextDecoder::decode(std::string_view bytes, std::string& out) {
    if (asciiIsIdentity_ && IsAscii(bytes))
        return bytes;
    const std::size_t start = out.size();
    appendConverted(bytes, out);
    return std::string_view(out).substr(start);
}

void TextDecoder::appendSingleByte(std::string_view bytes, std::string& out) {
    // Decoded into a buffer that keeps its room, then appended: growing the string by
    // three times the bytes would first clear all of that room. Every entry is copied
    // whole (four bytes) and the write advances by its length; the one spare byte keeps
    // the last copy inside the buffer. Where ASCII is itself, eight ASCII bytes in a row
    // are copied at once: accented names are mostly ASCII and blanks.
    const std::size_t room = bytes.size() * 3 + 1;
    if (decodedRoom_ < room) {
        decoded_.reset(new char[room]);
        decodedRoom_ = room;
    }
    char* write = decoded_.get();
    const char* read = bytes.data();
    const char* const end = read + bytes.size();
    while (read < end) {
        if (asciiIsIdentity_ && end - read >= 8 && IsAscii(std::string_view(read, 8))) {
            std::memcpy(write, read, 8);
            write += 8;
            read += 8;
            continue;
        }
        const auto& entry = table_->entries[static_cast<unsigned char>(*read++)];
        std::memcpy(write, entry.bytes.data(), 4);
        write += entry.length;
    }
    out.append(decoded_.get(), static_cast<std::size_t>(write - decoded_.get()));
}

void TextDecoder::appendMultiByte(std::string_view bytes, std::string& out) {
    UErrorCode status = U_ZERO_ERROR;
    const int32_t units = DecodeToWide(converter_.get(), bytes, wide_, status);
    if (!U_SUCCESS(status) || !AppendUtf8(wide_.data(), units, out))
        AppendMarked(bytes, out);
}

void TextDecoder::appendPiece(std::string_view bytes, bool first, bool last, std::string& out) {
    if (singleByte_) {
        appendSingleByte(bytes, out);
        return;
    }
    UConverter* converter = converter_.get();
    if (first)
        ucnv_reset(converter);
    // Room for the bytes of a character held back from the previous piece.
    wide_.resize(bytes.size() + 8);
    const char* source = bytes.data();
    for (;;) {
        auto* target = reinterpret_cast<UChar*>(wide_.data());
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter, &target, target + wide_.size(), &source,
                       bytes.data() + bytes.size(), nullptr, static_cast<UBool>(last), &status);
        const auto units = static_cast<int32_t>(target - reinterpret_cast<UChar*>(wide_.data()));
        if (U_FAILURE(status) && status != U_BUFFER_OVERFLOW_ERROR) {
            AppendMarked(bytes.substr(static_cast<std::size_t>(source - bytes.data())), out);
            return;
        }
        if (!AppendUtf8(wide_.data(), units, out))
            out.append("\xEF\xBF\xBD");
        if (status != U_BUFFER_OVERFLOW_ERROR)
            return;
    }
}

void TextDecoder::replaceUpperHalf(const std::array<char16_t, 128>& upper) {
    table_ = WithUpperHalf(*table_, upper);
}

} // namespace tabrivel::dbf
