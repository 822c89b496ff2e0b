#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tabrivel {

enum class MemoFormat {
    DBase3,   // .dbt, 512-byte blocks, text ended by 0x1A
    DBase4,   // .dbt, block size in the header, FF FF 08 00 and a length before each memo
    FoxPro,   // .fpt, big-endian block size in the header, a type and a length before each memo
    HiPerSix, // .smt, little-endian block size in the header, the bytes alone in the blocks
};

// Builds DBF tables byte by byte for tests: any version byte (dBase II and dBase 7
// get their own header and descriptor layouts), any field, raw record bytes, and a
// memo file. Header values can be overridden to build broken tables.
class DbfWriter {
public:
    explicit DbfWriter(std::uint8_t version = 0x03, std::uint8_t languageDriver = 0x03);

    DbfWriter& addField(std::string name, char type, int length, int decimals = 0,
                        std::uint8_t flags = 0);
    // One raw byte string per field, padded with blanks to the field's width.
    DbfWriter& addRecord(const std::vector<std::string>& fields, bool deleted = false);

    // Stores a memo and gives the block number a record points at.
    std::uint32_t addMemo(std::string_view bytes, std::uint32_t foxProType = 1);
    DbfWriter& setMemoFormat(MemoFormat format, std::uint32_t blockSize = 512);

    // Overrides of what the header would say.
    DbfWriter& setRecordCount(std::uint32_t count);
    DbfWriter& setHeaderLength(std::uint32_t length);
    DbfWriter& setRecordLength(std::uint32_t length);
    DbfWriter& omitTerminator();
    // The database container a Visual FoxPro table names after its descriptors.
    DbfWriter& setContainerLink(std::string link);
    DbfWriter& appendBytes(std::string_view bytes); // after the records (an end mark, junk)

    std::string tableBytes() const;
    std::string memoBytes() const;

    // Writes the table, and the memo file beside it when `memoExtension` is given.
    void write(const std::filesystem::path& table, std::string_view memoExtension = {}) const;

    std::uint32_t recordLength() const;

private:
    struct Field {
        std::string name;
        char type;
        int length;
        int decimals;
        std::uint8_t flags;
    };
    std::string header() const;
    std::string descriptor(const Field& field, std::uint32_t offset) const;
    std::string padMemo(std::string_view bytes, std::uint32_t foxProType) const;
    bool isBase7() const;

    std::uint8_t version_;
    std::uint8_t languageDriver_;
    std::vector<Field> fields_;
    std::vector<std::string> records_;
    std::string memo_;
    MemoFormat memoFormat_ = MemoFormat::DBase3;
    std::uint32_t blockSize_ = 512;
    long recordCount_ = -1;
    long headerLength_ = -1;
    long recordLength_ = -1;
    bool terminator_ = true;
    std::string containerLink_;
    std::string trailer_;
};

// Byte layouts for building field values.
std::string Little16(std::uint16_t value);
std::string Little32(std::uint32_t value);
std::string Little64(std::uint64_t value);
std::string Big16(std::uint16_t value);
std::string Big32(std::uint32_t value);
std::string LittleDouble(double value);
// A memo pointer as a field of `width` holds it: four little-endian bytes or a
// right-aligned decimal.
std::string MemoPointer(std::uint32_t block, int width);
// A HiPer-Six memo field: type, length and block, little-endian.
std::string HiPerSixPointer(std::uint32_t block, std::uint32_t length, std::uint16_t type = 1);

} // namespace tabrivel
