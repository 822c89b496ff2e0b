#include "engine/dbf/SingleByteTable.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <map>
#include <mutex>
#include <string>

namespace tabrivel::dbf {
namespace {

SingleByteTable::Utf8Char Utf8Of(const UChar* wide, int32_t units) {
    SingleByteTable::Utf8Char entry;
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8(entry.bytes.data(), 4, &length, wide, units, &status);
    if (U_FAILURE(status) || length > 3 || length == 0) {
        entry.bytes = {'\xEF', '\xBF', '\xBD', '\0'}; // U+FFFD
        length = 3;
    }
    entry.length = static_cast<std::uint8_t>(length);
    return entry;
}

std::shared_ptr<const SingleByteTable> BuildTable(UConverter* converter) {
    auto table = std::make_shared<SingleByteTable>();
    table->asciiIsIdentity = true;
    for (int byte = 0; byte < 256; ++byte) {
        const char in = static_cast<char>(byte);
        UChar wide[4];
        UErrorCode status = U_ZERO_ERROR;
        ucnv_reset(converter);
        const int32_t units = ucnv_toUChars(converter, wide, 4, &in, 1, &status);
        auto& entry = table->entries[static_cast<std::size_t>(byte)];
        entry = Utf8Of(wide, U_SUCCESS(status) ? units : 0);
        if (byte < 0x80 && (entry.length != 1 || entry.bytes[0] != in))
            table->asciiIsIdentity = false;
    }
    ucnv_reset(converter);
    return table;
}

} // namespace

std::shared_ptr<const SingleByteTable> SharedSingleByteTable(UConverter* converter) {
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<const SingleByteTable>> tables;
    UErrorCode status = U_ZERO_ERROR;
    const std::string name = ucnv_getName(converter, &status);
    const std::lock_guard lock(mutex);
    auto& table = tables[name];
    if (!table)
        table = BuildTable(converter);
    return table;
}

std::shared_ptr<const SingleByteTable> WithUpperHalf(const SingleByteTable& table,
                                                     const std::array<char16_t, 128>& upper) {
    auto replaced = std::make_shared<SingleByteTable>(table);
    for (std::size_t i = 0; i < upper.size(); ++i)
        replaced->entries[0x80 + i] = Utf8Of(reinterpret_cast<const UChar*>(&upper[i]), 1);
    return replaced;
}

} // namespace tabrivel::dbf
