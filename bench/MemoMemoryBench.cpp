// Peak memory of tabrivel-convert on one very long memo, against the size of what it
// writes for it: a text memo and a binary one (written as hex). Then a sparse memo file
// whose memo claims 2.9 GB that the file does not store: the time to the report.
//   memo-memory-bench [--records MEGABYTES_OF_TEXT] [--runs R] [--dir FOLDER]
// (--records sets the text memo's size in MB, 300 by default; the binary one is a third.)
#include "BenchOptions.h"
#include "ProcessTimer.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;
using namespace tabrivel::bench;

namespace {

constexpr std::uint32_t kBlockSize = 64;
constexpr std::uint32_t kMemoBlock = 512 / kBlockSize;

void PutLittle32(char* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<char>(value >> (8 * i));
}

void PutBig32(char* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<char>(value >> (8 * (3 - i)));
}

// A Visual FoxPro table of one record whose one memo field (M text, P binary) points at
// the first block after the memo file's header.
void WriteTable(const fs::path& path, char type) {
    constexpr std::uint16_t kHeaderLength = 32 + 32 + 1 + 263;
    std::string header(kHeaderLength, '\0');
    header[0] = 0x30;
    PutLittle32(&header[4], 1);
    header[8] = static_cast<char>(kHeaderLength & 0xFF);
    header[9] = static_cast<char>(kHeaderLength >> 8);
    header[10] = 5; // deletion flag and a four-byte pointer
    header[29] = 0x03;
    std::memcpy(&header[32], "NOTES", 5);
    header[32 + 11] = type;
    PutLittle32(&header[32 + 12], 1);
    header[32 + 16] = 4;
    header[64] = 0x0D;
    std::string record(" ....", 5);
    PutLittle32(&record[1], kMemoBlock);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << header << record << '\x1A';
}

// The memo file's header and the memo's own eight bytes; its `length` bytes follow.
std::string MemoStart(std::uint32_t memoType, std::uint32_t length) {
    std::string bytes(512 + 8, '\0');
    bytes[7] = static_cast<char>(kBlockSize); // big-endian, in bytes 6 and 7
    PutBig32(&bytes[512], memoType);
    PutBig32(&bytes[516], length);
    return bytes;
}

void WriteMemo(const fs::path& path, std::uint32_t memoType, std::uint64_t length,
               const std::string& pattern) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << MemoStart(memoType, static_cast<std::uint32_t>(length));
    std::string chunk;
    while (chunk.size() < (1u << 20))
        chunk += pattern;
    for (std::uint64_t left = length; left > 0;) {
        const auto count = std::min<std::uint64_t>(left, chunk.size());
        out.write(chunk.data(), static_cast<std::streamsize>(count));
        left -= count;
    }
}

std::string BinaryPattern() {
    std::string bytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(i);
    return bytes;
}

void MeasureMemory(const char* title, const fs::path& convert, const fs::path& table,
                   const fs::path& dir, int runs) {
    const fs::path sql = dir / "memo.sql";
    const Timing timing =
        TimeCommand({convert.string(), "-o", sql.string(), table.string()}, "", runs);
    const double output = static_cast<double>(fs::file_size(sql));
    const double peak = static_cast<double>(timing.maxResidentKiB) * 1024.0;
    std::printf("%s: output %.1f MB, median %.2f s, peak RSS %.1f MB = %.2fx the output%s\n", title,
                output / 1e6, timing.medianSeconds, peak / 1e6, peak / output,
                timing.succeeded ? "" : "  (FAILED)");
    fs::remove(sql);
}

} // namespace

int main(int argc, char** argv) {
    const BenchOptions options = ParseBenchOptions(argc, argv, 1);
    const std::uint64_t textMegabytes =
        options.records == BenchOptions().records ? 300 : options.records;
    fs::create_directories(options.dir);
    const fs::path convert = fs::path(argv[0]).parent_path() / "tabrivel-convert";

    const fs::path text = options.dir / "textmemo.dbf";
    WriteTable(text, 'M');
    WriteMemo(options.dir / "textmemo.fpt", 1, textMegabytes * 1'000'000,
              "A line of memo text, with an apostrophe ' and \xE9 accents.\r\n");
    MeasureMemory("text memo", convert, text, options.dir, options.runs);
    fs::remove(options.dir / "textmemo.fpt");

    const fs::path binary = options.dir / "binmemo.dbf";
    WriteTable(binary, 'P');
    WriteMemo(options.dir / "binmemo.fpt", 0, textMegabytes * 1'000'000 / 3, BinaryPattern());
    MeasureMemory("binary memo", convert, binary, options.dir, options.runs);
    fs::remove(options.dir / "binmemo.fpt");

    const fs::path sparse = options.dir / "bigmemo.dbf";
    WriteTable(sparse, 'M');
    const fs::path sparseMemo = options.dir / "bigmemo.fpt";
    {
        std::ofstream out(sparseMemo, std::ios::binary | std::ios::trunc);
        out << MemoStart(1, 2'900'000'000u) << "the only stored text";
    }
    fs::resize_file(sparseMemo, 3'000'000'000u);
    std::printf("sparse memo file (3 GB on paper, a few kB on disk) claiming 2.9 GB:\n");
    std::fflush(stdout);
    const Timing timing = TimeCommand({convert.string(), sparse.string()}, "", options.runs);
    std::printf("  median %.3f s, peak RSS %.1f MB, exit %s\n", timing.medianSeconds,
                timing.maxResidentKiB / 1024.0, timing.succeeded ? "0" : "non-zero (a loss)");
    fs::remove(sparseMemo);
    return 0;
}
