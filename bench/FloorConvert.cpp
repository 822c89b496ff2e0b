// The floor the converter is measured against: the least work that still turns a
// table into INSERT statements. It maps the table (and its .fpt memo), copies every
// field's stored bytes into statement text with cp1252 turned into UTF-8 and
// apostrophes doubled (eight bytes at a time while they are plain ASCII, a table
// lookup otherwise) through a plain pointer into one buffer of a few megabytes, written
// in one call whenever it fills. It checks nothing, trims nothing and knows only the
// field types of the benchmark tables.
//
//   tabrivel-floor TABLE [MEMO] > statements
#include <unicode/ucnv.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
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

// What each byte of cp1252 becomes in the script: up to three bytes of UTF-8, and the
// apostrophe doubled. Four bytes are always copied and `length` of them kept, so that
// no byte costs a branch on its length.
struct Utf8Bytes {
    std::array<char, 4> bytes{};
    std::uint8_t length = 0;
};
using Utf8Table = std::array<Utf8Bytes, 256>;

Utf8Table Cp1252ToUtf8() {
    Utf8Table table;
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("windows-1252", &status);
    for (int byte = 0; byte < 256; ++byte) {
        const char in = static_cast<char>(byte);
        char out[8];
        UErrorCode each = U_ZERO_ERROR;
        const int32_t length =
            byte == '\'' ? 2 : ucnv_toAlgorithmic(UCNV_UTF8, converter, out, 8, &in, 1, &each);
        if (byte == '\'')
            out[0] = out[1] = '\'';
        Utf8Bytes& entry = table[static_cast<std::size_t>(byte)];
        entry.length = static_cast<std::uint8_t>(length > 0 ? length : 0);
        std::memcpy(entry.bytes.data(), out, entry.length);
    }
    ucnv_close(converter);
    return table;
}

struct Field {
    char type;
    std::uint32_t offset;
    std::uint32_t width;
};

// One large buffer written in one call whenever it fills: the caller asks for room for
// the most a piece can take, and writes through a plain pointer.
class Output {
public:
    Output() : buffer_(new char[kSize]), at_(buffer_.get()) {}
    ~Output() { flush(); }
    char* room(std::size_t most) {
        if (at_ + most > buffer_.get() + kSize)
            flush();
        return at_;
    }
    void advance(char* to) { at_ = to; }
    void flush() {
        std::fwrite(buffer_.get(), 1, static_cast<std::size_t>(at_ - buffer_.get()), stdout);
        at_ = buffer_.get();
    }
    static constexpr std::size_t kSize = 8u << 20;

private:
    std::unique_ptr<char[]> buffer_;
    char* at_;
};

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

// Text of any length: in slices that fit the buffer, at three bytes out for one in.
void AppendText(Output& out, const unsigned char* bytes, std::size_t length,
                const Utf8Table& utf8) {
    constexpr std::size_t kSlice = Output::kSize / 8;
    for (std::size_t done = 0; done < length; done += kSlice) {
        const std::size_t slice = std::min(kSlice, length - done);
        out.advance(CopyText(out.room(3 * slice + 4), bytes + done, slice, utf8));
    }
}

template <typename Number> void AppendNumber(Output& out, Number value) {
    char* to = out.room(32);
    out.advance(std::to_chars(to, to + 32, value).ptr);
}

void AppendLiteral(Output& out, std::string_view text) {
    char* to = out.room(text.size());
    std::memcpy(to, text.data(), text.size());
    out.advance(to + text.size());
}

void AppendField(Output& out, const Field& field, const unsigned char* record, const Mapping& memo,
                 const Utf8Table& utf8) {
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
        AppendLiteral(out, " ");
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
    Output output;
    for (std::uint32_t r = 0; r < records; ++r) {
        const unsigned char* record = table.bytes + headerLength + std::size_t{r} * recordLength;
        if (record + recordLength > table.bytes + table.size)
            break;
        if (record[0] == '*')
            continue;
        AppendLiteral(output, "INSERT INTO 'Table1_floor' VALUES ('");
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (f)
                AppendLiteral(output, "','");
            AppendField(output, fields[f], record, memo, utf8);
        }
        AppendLiteral(output, "');\r\n");
    }
    return 0;
}
