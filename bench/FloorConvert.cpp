// The floor the converter is measured against: the least work that still turns a
// table into INSERT statements. It maps the table (and its .fpt memo), formats every
// field's stored bytes into statement text with cp1252 turned into UTF-8 and
// apostrophes doubled, and writes one large buffer at a time. It checks nothing,
// trims nothing and knows only the field types of the benchmark tables.
//
//   tabrivel-floor TABLE [MEMO] > statements
#include <unicode/ucnv.h>

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Mapping {
    const unsigned char* bytes = nullptr;
    std::size_t size = 0;
};

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

using Utf8Table = std::array<std::string, 256>;

Utf8Table Cp1252ToUtf8() {
    Utf8Table table;
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("windows-1252", &status);
    for (int byte = 0; byte < 256; ++byte) {
        const char in = static_cast<char>(byte);
        char out[8];
        UErrorCode each = U_ZERO_ERROR;
        const int32_t length = ucnv_toAlgorithmic(UCNV_UTF8, converter, out, 8, &in, 1, &each);
        table[static_cast<std::size_t>(byte)] =
            byte == '\'' ? "''" : std::string(out, length > 0 ? length : 0);
    }
    ucnv_close(converter);
    return table;
}

struct Field {
    char type;
    std::uint32_t offset;
    std::uint32_t width;
};

class Output {
public:
    Output() { buffer_.reserve(kFlushAt + 65536); }
    ~Output() { flush(); }
    std::string& text() { return buffer_; }
    void endStatement() {
        buffer_ += ");\r\n";
        if (buffer_.size() >= kFlushAt)
            flush();
    }

private:
    static constexpr std::size_t kFlushAt = 4u << 20;
    void flush() {
        std::fwrite(buffer_.data(), 1, buffer_.size(), stdout);
        buffer_.clear();
    }
    std::string buffer_;
};

void AppendText(std::string& out, const unsigned char* bytes, std::size_t length,
                const Utf8Table& utf8) {
    for (std::size_t k = 0; k < length; ++k) {
        if (bytes[k] < 0x80 && bytes[k] != '\'')
            out += static_cast<char>(bytes[k]);
        else
            out += utf8[bytes[k]];
    }
}

template <typename Number> void AppendNumber(std::string& out, Number value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out.append(text, end);
}

void AppendField(std::string& out, const Field& field, const unsigned char* record,
                 const Mapping& memo, const Utf8Table& utf8) {
    const unsigned char* at = record + field.offset;
    switch (field.type) {
    case 'I':
        AppendNumber(out, static_cast<std::int32_t>(Little(at, 4)));
        break;
    case 'Y': {
        std::int64_t value;
        std::memcpy(&value, at, 8);
        AppendNumber(out, value);
        break;
    }
    case 'T':
        AppendNumber(out, Little(at, 4));
        out += ' ';
        AppendNumber(out, Little(at + 4, 4));
        break;
    case 'M': {
        const std::size_t block = Little(at, 4) * std::size_t{64};
        if (block && block + 8 <= memo.size) {
            const std::size_t length = Big32(memo.bytes + block + 4);
            AppendText(out, memo.bytes + block + 8, length, utf8);
        }
        break;
    }
    default:
        AppendText(out, at, field.width, utf8);
    }
}

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

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const Mapping table = Map(argv[1]);
    const Mapping memo = argc > 2 ? Map(argv[2]) : Mapping{};
    if (table.size < 32)
        return 1;
    const std::uint32_t records = Little(table.bytes + 4, 4);
    const std::uint32_t headerLength = Little(table.bytes + 8, 2);
    const std::uint32_t recordLength = Little(table.bytes + 10, 2);
    const std::vector<Field> fields = ReadFields(table);
    const Utf8Table utf8 = Cp1252ToUtf8();
    const std::string prefix = "INSERT INTO 'Table1_floor' VALUES ('";
    Output output;
    std::string& out = output.text();
    for (std::uint32_t r = 0; r < records; ++r) {
        const unsigned char* record = table.bytes + headerLength + std::size_t{r} * recordLength;
        if (record + recordLength > table.bytes + table.size)
            break;
        if (record[0] == '*')
            continue;
        out += prefix;
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (f)
                out += "','";
            AppendField(out, fields[f], record, memo, utf8);
        }
        out += '\'';
        output.endStatement();
    }
    return 0;
}
