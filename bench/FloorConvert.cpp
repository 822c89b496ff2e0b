// The floor the converter is measured against: the least work that still turns a
// table into INSERT statements. It maps the table (and its .fpt memo), copies every
// field's stored bytes into statement text with cp1252 turned into UTF-8 and
// apostrophes doubled (eight bytes at a time while they are plain ASCII, a table
// lookup otherwise) through a plain pointer into one buffer of a few megabytes, written
// in one call whenever it fills. It checks nothing, trims nothing and knows only the
// field types of the benchmark tables.
//
//   tabrivel-floor TABLE [MEMO] > statements
#include "FloorTable.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

namespace {

using namespace tabrivel::bench;

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

void AppendField(Output& out, const Field& field, const unsigned char* record,
                 const FloorTable& table, const Utf8Table& utf8) {
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
        const unsigned char* text = nullptr;
        AppendText(out, text, table.memoText(at, text), utf8);
        break;
    }
    default:
        AppendText(out, at, field.width, utf8);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const FloorTable table = OpenFloorTable(argv[1], argc > 2 ? argv[2] : nullptr);
    if (table.records == 0)
        return 1;
    const Utf8Table utf8 = Cp1252ToUtf8(true);
    Output output;
    ForEachLiveRecord(table, [&](const unsigned char* record) {
        AppendLiteral(output, "INSERT INTO 'Table1_floor' VALUES ('");
        for (std::size_t f = 0; f < table.fields.size(); ++f) {
            if (f)
                AppendLiteral(output, "','");
            AppendField(output, table.fields[f], record, table, utf8);
        }
        AppendLiteral(output, "');\r\n");
    });
    return 0;
}
