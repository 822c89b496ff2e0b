#include "BenchTables.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace tabrivel::bench {
namespace {

struct Field {
    const char* name;
    char type;
    std::uint8_t length;
    std::uint8_t decimals;
};

class Random {
public:
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    std::uint32_t below(std::uint32_t n) { return next() % n; }

private:
    std::uint32_t state_ = 2463534242u;
};

// cp1252 bytes: é (E9), ü (FC), ñ (F1), ø (F8).
const std::array<const char*, 8> kNames = {
    "M\xFCller", "O'Brien", "Jos\xE9 Ib\xE1\xF1\x65z", "Smith", "S\xF8rensen", "D'Angelo",
    "Nguyen",    ""};
const std::array<const char*, 6> kCities = {"K\xF6ln",   "London", "S\xE3o Paulo",
                                            "Troms\xF8", "",       "Z\xFCrich"};
const std::array<const char*, 5> kStreets = {"Rue de l'\xC9glise", "High Street",
                                             "Hauptstra\xDF\x65", "Calle Mayor", ""};

void Put(std::vector<char>& record, std::size_t& at, std::size_t width, const char* text) {
    std::size_t length = std::min(std::strlen(text), width);
    std::memcpy(record.data() + at, text, length);
    std::memset(record.data() + at + length, ' ', width - length);
    at += width;
}

void PutChar(std::vector<char>& record, std::size_t& at, const char* choices, std::uint32_t pick) {
    record[at++] = choices[pick];
}

void PutNumber(std::vector<char>& record, std::size_t& at, std::size_t width, const char* text) {
    std::size_t length = std::strlen(text);
    std::memset(record.data() + at, ' ', width - length);
    std::memcpy(record.data() + at + width - length, text, length);
    at += width;
}

void PutLE16(unsigned char* p, std::uint16_t v) {
    p[0] = v & 0xFF;
    p[1] = v >> 8;
}
void PutLE32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = (v >> (8 * i)) & 0xFF;
}
void PutBE32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = (v >> (8 * (3 - i))) & 0xFF;
}

class TableFile {
public:
    TableFile(const std::string& path, unsigned char version, unsigned char language,
              const std::vector<Field>& fields, std::uint32_t records, bool foxpro)
        : file_(std::fopen(path.c_str(), "wb")) {
        if (!file_)
            throw std::runtime_error("cannot write " + path);
        std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
        recordLength_ = 1;
        for (const Field& f : fields)
            recordLength_ += f.length;
        const std::size_t backlink = foxpro ? 263 : 0;
        const std::size_t headerLength = 32 + 32 * fields.size() + 1 + backlink;
        std::vector<unsigned char> header(headerLength, 0);
        header[0] = version;
        header[1] = 121, header[2] = 8, header[3] = 31;
        PutLE32(&header[4], records);
        PutLE16(&header[8], static_cast<std::uint16_t>(headerLength));
        PutLE16(&header[10], static_cast<std::uint16_t>(recordLength_));
        header[28] = foxpro ? 0x02 : 0x00; // has a memo file
        header[29] = language;
        std::size_t offset = 1;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            unsigned char* d = &header[32 + 32 * i];
            std::strncpy(reinterpret_cast<char*>(d), fields[i].name, 10);
            d[11] = static_cast<unsigned char>(fields[i].type);
            PutLE32(d + 12, static_cast<std::uint32_t>(offset));
            d[16] = fields[i].length;
            d[17] = fields[i].decimals;
            offset += fields[i].length;
        }
        header[32 + 32 * fields.size()] = 0x0D;
        std::fwrite(header.data(), 1, header.size(), file_);
    }
    ~TableFile() {
        std::fputc(0x1A, file_);
        std::fclose(file_);
    }
    std::size_t recordLength() const { return recordLength_; }
    void write(const std::vector<char>& record) {
        std::fwrite(record.data(), 1, record.size(), file_);
    }

private:
    std::FILE* file_;
    std::size_t recordLength_;
};

void FormatDate(char* out, Random& random) {
    std::snprintf(out, 9, "%04u%02u%02u", 1950 + random.below(75), 1 + random.below(12),
                  1 + random.below(28));
}

} // namespace

void WriteDbase3Table(const std::string& path, std::uint32_t records) {
    const std::vector<Field> fields = {
        {"NAME", 'C', 20, 0}, {"ADDRESS", 'C', 40, 0}, {"ID", 'N', 10, 0},   {"AMOUNT", 'N', 12, 2},
        {"DATE", 'D', 8, 0},  {"FLAG", 'L', 1, 0},     {"CODE", 'C', 10, 0}, {"RATIO", 'N', 8, 3},
        {"CITY", 'C', 30, 0}, {"KIND", 'C', 1, 0}};
    TableFile table(path, 0x03, 0x03, fields, records, false);
    std::vector<char> record(table.recordLength());
    Random random;
    char text[64];
    for (std::uint32_t i = 0; i < records; ++i) {
        std::size_t at = 0;
        record[at++] = ' ';
        Put(record, at, 20, kNames[random.below(kNames.size())]);
        std::snprintf(text, sizeof text, "%u %s", random.below(999),
                      kStreets[random.below(kStreets.size())]);
        Put(record, at, 40, text);
        std::snprintf(text, sizeof text, "%u", i + 1);
        PutNumber(record, at, 10, text);
        std::snprintf(text, sizeof text, "%d.%02u",
                      static_cast<int>(random.below(2000000)) - 1000000, random.below(100));
        PutNumber(record, at, 12, random.below(20) == 0 ? "" : text);
        FormatDate(text, random);
        Put(record, at, 8, random.below(30) == 0 ? "" : text);
        PutChar(record, at, "TF?", random.below(3));
        std::snprintf(text, sizeof text, "C%06u", random.below(1000000));
        Put(record, at, 10, text);
        std::snprintf(text, sizeof text, "%u.%03u", random.below(1000), random.below(1000));
        PutNumber(record, at, 8, text);
        Put(record, at, 30, kCities[random.below(kCities.size())]);
        PutChar(record, at, "ABC ", random.below(4));
        table.write(record);
    }
}

void WriteFoxProTable(const std::string& dbfPath, const std::string& fptPath,
                      std::uint32_t records) {
    const std::vector<Field> fields = {
        {"ID", 'I', 4, 0},    {"NAME", 'C', 30, 0},   {"NOTES", 'M', 4, 0}, {"STAMP", 'T', 8, 0},
        {"PRICE", 'Y', 8, 4}, {"AMOUNT", 'N', 10, 2}, {"FLAG", 'L', 1, 0},  {"DAY", 'D', 8, 0}};
    TableFile table(dbfPath, 0x30, 0x03, fields, records, true);
    std::FILE* memo = std::fopen(fptPath.c_str(), "wb");
    if (!memo)
        throw std::runtime_error("cannot write " + fptPath);
    std::setvbuf(memo, nullptr, _IOFBF, 1 << 20);
    constexpr std::uint32_t kBlock = 64;
    std::vector<unsigned char> memoHeader(512, 0);
    std::uint32_t nextBlock = 512 / kBlock;
    memoHeader[6] = 0, memoHeader[7] = kBlock;
    std::fwrite(memoHeader.data(), 1, memoHeader.size(), memo);

    std::vector<char> record(table.recordLength());
    Random random;
    char text[256];
    for (std::uint32_t i = 0; i < records; ++i) {
        std::size_t at = 0;
        record[at++] = ' ';
        PutLE32(reinterpret_cast<unsigned char*>(&record[at]), i + 1), at += 4;
        Put(record, at, 30, kNames[random.below(kNames.size())]);
        int length = std::snprintf(text, sizeof text,
                                   "Customer %u called about order %u.\r\nNote: it's urgent, %s.",
                                   i + 1, random.below(100000), kCities[random.below(6)]);
        std::uint32_t blocks = (8 + length + kBlock - 1) / kBlock;
        unsigned char blockHeader[8];
        PutBE32(blockHeader, 1);
        PutBE32(blockHeader + 4, static_cast<std::uint32_t>(length));
        std::fwrite(blockHeader, 1, 8, memo);
        std::fwrite(text, 1, length, memo);
        for (std::uint32_t pad = 8 + length; pad < blocks * kBlock; ++pad)
            std::fputc(0, memo);
        PutLE32(reinterpret_cast<unsigned char*>(&record[at]), nextBlock), at += 4;
        nextBlock += blocks;
        PutLE32(reinterpret_cast<unsigned char*>(&record[at]), 2440000 + random.below(20000));
        PutLE32(reinterpret_cast<unsigned char*>(&record[at + 4]), random.below(86400) * 1000);
        at += 8;
        const std::int64_t price = static_cast<std::int64_t>(random.next()) - 2000000000;
        for (int b = 0; b < 8; ++b)
            record[at + b] =
                static_cast<char>((static_cast<std::uint64_t>(price) >> (8 * b)) & 0xFF);
        at += 8;
        std::snprintf(text, sizeof text, "%u.%02u", random.below(100000), random.below(100));
        PutNumber(record, at, 10, text);
        PutChar(record, at, "TF", random.below(2));
        FormatDate(text, random);
        Put(record, at, 8, text);
        table.write(record);
    }
    std::fseek(memo, 0, SEEK_SET);
    PutBE32(memoHeader.data(), nextBlock);
    std::fwrite(memoHeader.data(), 1, 4, memo);
    std::fclose(memo);
}

std::vector<std::filesystem::path> WriteManySmallTables(const std::filesystem::path& folder,
                                                        std::uint32_t records) {
    const std::uint32_t tables = std::max<std::uint32_t>(1, records / 100);
    // Named by their count, so that the folder holds these tables and no others.
    const std::filesystem::path many = folder / ("many-" + std::to_string(tables));
    std::filesystem::create_directories(many);
    std::vector<std::filesystem::path> paths;
    for (std::uint32_t k = 0; k < tables; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "t%05u.dbf", k);
        paths.push_back(many / name);
        if (!std::filesystem::exists(paths.back()))
            WriteDbase3Table(paths.back().string(), 100);
    }
    return paths;
}

} // namespace tabrivel::bench
