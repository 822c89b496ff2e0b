#pragma once

// What the floor programs share: the table mapped, its fields, and cp1252 turned into
// UTF-8 at the least cost. They check nothing and know only the field types of the
// benchmark tables.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tabrivel::bench {

struct Mapping {
    const unsigned char* bytes = nullptr;
    std::size_t size = 0;
};

// The file mapped for reading in order; empty when it cannot be.
Mapping Map(const char* path);

std::uint32_t Little(const unsigned char* p, int count);
std::uint32_t Big32(const unsigned char* p);

// What each byte of cp1252 becomes: up to three bytes of UTF-8, and the apostrophe doubled
// when asked. Four bytes are always copied and `length` of them kept, so that no byte
// costs a branch on its length.
struct Utf8Bytes {
    std::array<char, 4> bytes{};
    std::uint8_t length = 0;
};
using Utf8Table = std::array<Utf8Bytes, 256>;
Utf8Table Cp1252ToUtf8(bool doubleApostrophes);

// `length` bytes of cp1252 written at `to` as UTF-8 (at most three bytes each); the end.
char* CopyText(char* to, const unsigned char* bytes, std::size_t length, const Utf8Table& utf8);

struct Field {
    char type;
    std::uint32_t offset;
    std::uint32_t width;
};

struct FloorTable {
    Mapping table;
    Mapping memo;
    std::uint32_t records = 0;
    std::uint32_t headerLength = 0;
    std::uint32_t recordLength = 0;
    std::vector<Field> fields;

    // The record's bytes; null past the end of the file.
    const unsigned char* record(std::uint32_t index) const;
    // A FoxPro memo's text as the pointer at `at` names it; empty when there is none.
    std::size_t memoText(const unsigned char* at, const unsigned char*& text) const;
};

// Calls `take` with each record that is not deleted, in order, as far as the file holds.
template <typename Take> void ForEachLiveRecord(const FloorTable& table, Take take) {
    for (std::uint32_t r = 0; r < table.records; ++r) {
        const unsigned char* record = table.record(r);
        if (!record)
            return;
        if (record[0] != '*')
            take(record);
    }
}

// The table and its memo file (null: none); `records` 0 when the table cannot be read.
FloorTable OpenFloorTable(const char* table, const char* memo);

} // namespace tabrivel::bench
