#include "FloorTable.h"

#include <unicode/ucnv.h>

#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tabrivel::bench {
namespace {

std::vector<Field> ReadFields(const Mapping& table) {
    std::vector<Field> fields;
    std::uint32_t offset = 1;
    for (std::size_t at = 32; at + 32 <= table.size && table.bytes[at] != 0x0D; at += 32) {
        const Field field{static_cast<char>(table.bytes[at + 11]), offset, table.bytes[at + 16]};
        fields.push_back(field);
        offset += field.width;
    }
    return fields;
}

} // namespace

Mapping Map(const char* path) {
    const int fd = open(path, O_RDONLY);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0)
        return {};
    void* at = mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (at == MAP_FAILED)
        return {};
    madvise(at, static_cast<std::size_t>(info.st_size), MADV_SEQUENTIAL);
    return {static_cast<const unsigned char*>(at), static_cast<std::size_t>(info.st_size)};
}

std::uint32_t Little(const unsigned char* p, int count) {
    std::uint32_t value = 0;
    for (int k = count - 1; k >= 0; --k)
        value = (value << 8) | p[k];
    return value;
}

std::uint32_t Big32(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

Utf8Table Cp1252ToUtf8(bool doubleApostrophes) {
    Utf8Table table;
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("windows-1252", &status);
    for (int byte = 0; byte < 256; ++byte) {
        const char in = static_cast<char>(byte);
        char out[8];
        UErrorCode each = U_ZERO_ERROR;
        int32_t length = ucnv_toAlgorithmic(UCNV_UTF8, converter, out, 8, &in, 1, &each);
        if (byte == '\'' && doubleApostrophes) {
            out[0] = out[1] = '\'';
            length = 2;
        }
        Utf8Bytes& entry = table[static_cast<std::size_t>(byte)];
        entry.length = static_cast<std::uint8_t>(length > 0 ? length : 0);
        std::memcpy(entry.bytes.data(), out, entry.length);
    }
    ucnv_close(converter);
    return table;
}

// Eight bytes at a time while they are ASCII without an apostrophe; a word holding
// either goes through the table byte by byte.
char* CopyText(char* to, const unsigned char* bytes, std::size_t length, const Utf8Table& utf8) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    constexpr std::uint64_t kApostrophes = 0x2727272727272727u;
    std::size_t k = 0;
    for (; k + 8 <= length; k += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + k, 8);
        const std::uint64_t apostrophes = word ^ kApostrophes;
        if (((word | ((apostrophes - kOnes) & ~apostrophes)) & kHighs) == 0) {
            std::memcpy(to, &word, 8);
            to += 8;
            continue;
        }
        for (std::size_t b = k; b < k + 8; ++b) {
            const Utf8Bytes& entry = utf8[bytes[b]];
            std::memcpy(to, entry.bytes.data(), 4);
            to += entry.length;
        }
    }
    for (; k < length; ++k) {
        const Utf8Bytes& entry = utf8[bytes[k]];
        std::memcpy(to, entry.bytes.data(), 4);
        to += entry.length;
    }
    return to;
}

const unsigned char* FloorTable::record(std::uint32_t index) const {
    const unsigned char* at = table.bytes + headerLength + std::size_t{index} * recordLength;
    return at + recordLength <= table.bytes + table.size ? at : nullptr;
}

std::size_t FloorTable::memoText(const unsigned char* at, const unsigned char*& text) const {
    const std::size_t block = Little(at, 4) * std::size_t{64};
    if (!block || block + 8 > memo.size)
        return 0;
    text = memo.bytes + block + 8;
    return Big32(memo.bytes + block + 4);
}

FloorTable OpenFloorTable(const char* tablePath, const char* memoPath) {
    FloorTable floor;
    floor.table = Map(tablePath);
    floor.memo = memoPath ? Map(memoPath) : Mapping{};
    if (floor.table.size < 32)
        return floor;
    floor.records = Little(floor.table.bytes + 4, 4);
    floor.headerLength = Little(floor.table.bytes + 8, 2);
    floor.recordLength = Little(floor.table.bytes + 10, 2);
    floor.fields = ReadFields(floor.table);
    return floor;
}

} // namespace tabrivel::bench
