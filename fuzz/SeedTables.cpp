// Writes the fuzzer's seed corpus: tables built with the fixture writer (one per
// family and field type, with and without memo files) and, when a folder is given,
// every real table found under it with its memo file beside it.
//
//   tabrivel-fuzz-seeds OUTPUT_FOLDER [REAL_TABLES_FOLDER]
//   tabrivel-fuzz-seeds --recipes OUTPUT_FOLDER   (seeds of the large-table fuzzer)
#include "FuzzInput.h"
#include "IcuCodePageNames.h"

#include "samples/DbfWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;
using namespace tabrivel;

namespace {

// Real tables run to a megabyte; the fuzzer learns as much from their first records,
// and small inputs keep it fast. Table and memo together stay under the fuzzer's
// input limit, so the memo is not cut away.
constexpr std::size_t kMaxTable = 1400;
constexpr std::size_t kMaxInput = 2000;
constexpr std::size_t kMinMemo = 600;

struct Seed {
    std::string name;
    std::string bytes;
};

Seed FromWriter(std::string name, const DbfWriter& writer, std::string_view extension = {}) {
    const std::string memo = extension.empty() ? std::string() : writer.memoBytes();
    return {std::move(name), tabrivel::fuzz::JoinInput(writer.tableBytes(), memo, extension)};
}

Seed DBase3Plain() {
    DbfWriter w(0x03, 0x57);
    w.addField("NAME", 'C', 12).addField("AMOUNT", 'N', 8, 2).addField("BORN", 'D', 8);
    w.addField("OK", 'L', 1).addField("RATE", 'F', 10, 3);
    w.addRecord({"O'Brien", "  -12.50", "19991231", "T", "     0.125"});
    w.addRecord({"", "", "        ", "?", ""}, true);
    w.addRecord({"Zo\xEB", "1,5", "20211345", "n", "abc"});
    return FromWriter("dbase3-plain", w);
}

Seed DBase3Memo() {
    DbfWriter w(0x83);
    w.addField("ID", 'N', 4).addField("NOTE", 'M', 10);
    const auto block = w.addMemo("first line\r\nsecond" + std::string(520, 'x'));
    w.addRecord({"   1", MemoPointer(block, 10)});
    w.addRecord({"   2", MemoPointer(block, 10)});
    w.addRecord({"   3", ""});
    return FromWriter("dbase3-memo", w, ".dbt");
}

Seed DBase4Memo() {
    DbfWriter w(0x8B);
    w.setMemoFormat(MemoFormat::DBase4, 64);
    w.addField("NOTE", 'M', 10).addField("PIC", 'B', 10);
    w.addRecord({MemoPointer(w.addMemo("text with \x1A inside"), 10),
                 MemoPointer(w.addMemo(std::string("\0\1\2", 3)), 10)});
    return FromWriter("dbase4-memo", w, ".dbt");
}

Seed DBase7() {
    DbfWriter w(0x04, 0x03);
    w.addField("COUNTER", '+', 4).addField("VALUE", 'I', 4).addField("REAL", 'O', 8);
    w.addField("STAMP", '@', 8).addField("TEXT", 'C', 5);
    w.addRecord({Big32(0x80000001), Big32(0x7FFFFFFF), std::string(8, '\x80'),
                 Big32(0x42D1A9C5) + Big32(0x12345678), "abc"});
    return FromWriter("dbase7", w);
}

Seed FoxPro() {
    DbfWriter w(0xF5, 0x03);
    w.setMemoFormat(MemoFormat::FoxPro, 64);
    w.addField("NAME", 'C', 6).addField("NOTE", 'M', 10).addField("GEN", 'G', 10);
    w.addField("PIC", 'P', 10);
    w.addRecord({"a\0b", MemoPointer(w.addMemo("caf\xE9\nline"), 10),
                 MemoPointer(w.addMemo("ole", 0), 10), ""});
    return FromWriter("foxpro-memo", w, ".fpt");
}

Seed VisualFoxPro() {
    DbfWriter w(0x32, 0x03);
    w.setMemoFormat(MemoFormat::FoxPro, 1);
    w.addField("ID", 'I', 4).addField("PRICE", 'Y', 8).addField("WHEN", 'T', 8);
    w.addField("RATIO", 'B', 8, 2).addField("NAME", 'V', 10, 0, 0x02);
    w.addField("BIN", 'Q', 6).addField("BLOB", 'W', 4).addField("NOTE", 'M', 4, 0, 0x02);
    w.addField("_NullFlags", '0', 1, 0, 0x05);
    w.addRecord({Little32(0xFFFFFFFF), Little64(123456789), Little32(2459000) + Little32(3600000),
                 LittleDouble(-2.5), std::string("abc\0\0\0\0\0\0\x03", 10), "\x01\x02",
                 Little32(w.addMemo(std::string("\0\xFF", 2), 0)),
                 Little32(w.addMemo("memo \xC4 text")), "\x08"});
    w.addRecord({Little32(1), Little64(0), std::string(8, '\0'), LittleDouble(0), "", "",
                 Little32(0), Little32(0), "\x0A"});
    return FromWriter("visual-foxpro", w, ".fpt");
}

Seed DBase2() {
    DbfWriter w(0x02);
    w.addField("NAME", 'C', 8).addField("N", 'N', 5, 1);
    w.addRecord({"dbase ii", " 12.5"});
    return FromWriter("dbase2", w);
}

Seed Broken() {
    DbfWriter w(0x03, 0x65);
    w.addField("A", 'C', 300).addField("B", 'N', 4);
    w.setRecordCount(9).omitTerminator();
    w.addRecord({"long field", "1234"});
    w.appendBytes("\x1A junk");
    return FromWriter("broken-count", w);
}

// Memo files that end early: inside the last memo's text, inside a block header, and
// a dBase III memo whose terminator never comes.
std::vector<Seed> CutMemos() {
    DbfWriter dbase3(0x83);
    dbase3.addField("NOTE", 'M', 10);
    dbase3.addRecord({MemoPointer(dbase3.addMemo("a memo that loses its end"), 10)});
    std::string memo = dbase3.memoBytes();
    const std::string table = dbase3.tableBytes();
    std::string unterminated = memo.substr(0, 512) + "no end mark, no padding";

    DbfWriter fox(0xF5);
    fox.setMemoFormat(MemoFormat::FoxPro, 64);
    fox.addField("NOTE", 'M', 10);
    fox.addRecord({MemoPointer(fox.addMemo(std::string(100, 'f')), 10)});
    const std::string foxMemo = fox.memoBytes();
    return {
        {"cut-dbt-text", tabrivel::fuzz::JoinInput(table, memo.substr(0, 512 + 10), ".dbt")},
        {"cut-dbt-unterminated", tabrivel::fuzz::JoinInput(table, unterminated, ".dbt")},
        {"cut-fpt-block-header",
         tabrivel::fuzz::JoinInput(fox.tableBytes(), foxMemo.substr(0, 512 + 5), ".fpt")},
        {"cut-fpt-text", tabrivel::fuzz::JoinInput(fox.tableBytes(),
                                                   foxMemo.substr(0, foxMemo.size() - 40), ".fpt")},
    };
}

// What the reader delivers from damaged tables and how it reads values it once got
// wrong: memo files missing, unusable or short of a block, a Visual FoxPro header with no
// room for its back-link, a cut table whose record length is one short, and text whose
// code page is unnamed, unknown to ICU or mixed.
std::vector<Seed> SalvageSeeds() {
    DbfWriter fox(0x30, 0x03);
    fox.setMemoFormat(MemoFormat::FoxPro, 64);
    fox.addField("NAME", 'C', 6).addField("NOTE", 'M', 4).addField("WIDE", 'W', 12);
    fox.addField("ODD", 'X', 3).addField("VAR", 'V', 6, 0, 0x02).addField("_NullFlags", '0', 1);
    const std::string wide("w\0i\0d\0e\0\0\0\0\0", 12);
    fox.addRecord({std::string("ab\0old", 6), MemoPointer(fox.addMemo("kept"), 4), wide,
                   "\x01\x02\x03", std::string("ab\0\0\0\x02", 6), "\x01"});
    fox.addRecord({"second", MemoPointer(900, 4), wide, "xyz", "varchr", "\x02"});
    std::string badHeader = fox.memoBytes();
    badHeader[6] = badHeader[7] = '\0';
    DbfWriter shortHeader = fox;
    shortHeader.setHeaderLength(32 + 6 * 32 + 1);
    const std::string noBackLink = shortHeader.tableBytes();
    const std::string withBackLink =
        std::string(noBackLink).insert(32 + 6 * 32 + 1, std::string(263, '\0'));

    DbfWriter cut(0x03, 0x00);
    cut.addField("TEXT", 'C', 8).setRecordLength(8).setRecordCount(4);
    cut.addRecord({"\xD0\x9C\xD0\xB8\xD1\x80"}).addRecord({"caf\xE9"});
    std::vector<Seed> seeds = {
        FromWriter("salvage-memo-missing", fox),
        {"salvage-memo-header-unusable",
         tabrivel::fuzz::JoinInput(fox.tableBytes(), badHeader, ".fpt")},
        FromWriter("salvage-memo-out-of-range", fox, ".fpt"),
        {"repair-no-backlink", tabrivel::fuzz::JoinInput(withBackLink, fox.memoBytes(), ".fpt")},
        {"repair-backlink-left-out",
         tabrivel::fuzz::JoinInput(noBackLink, fox.memoBytes(), ".fpt")},
        {"repair-short-record-cut", tabrivel::fuzz::JoinInput(cut.tableBytes() + "half", {}, {})},
    };
    // What is delivered with a loss reported: a field of width 0, bytes no field covers,
    // fields marked binary, a logical byte of no meaning, NULs inside a text memo, and
    // text in a DOS code page that no header names.
    DbfWriter losses(0x30, 0x00);
    losses.setMemoFormat(MemoFormat::FoxPro, 64);
    losses.addField("GONE", 'C', 0).addField("RAW", 'C', 4, 0, 0x04).addField("OK", 'L', 1);
    losses.addField("NOTE", 'M', 4).addField("RAWNOTE", 'M', 4, 0, 0x04).addField("STAMP", '@', 8);
    losses.addField("PAD", 'C', 3);
    losses.addRecord({"", std::string("\xE9\0ab", 4), "x",
                      MemoPointer(losses.addMemo(std::string("\xFF\xD8\0JFIF\0", 9)), 4),
                      MemoPointer(losses.addMemo(std::string("\0\1", 2)), 4),
                      "\x42\xCB\x40\x62\xAA\x88\x00\x00", "\x8E\xA0\xE1"});
    std::string widerRecords = losses.tableBytes();
    widerRecords[32 + 6 * 32] = '\x0D'; // the last descriptor's bytes stay in each record
    seeds.push_back(FromWriter("losses-reported", losses, ".fpt"));
    seeds.push_back({"losses-bytes-beyond-fields",
                     tabrivel::fuzz::JoinInput(widerRecords, losses.memoBytes(), ".fpt")});
    for (const std::uint8_t driver : {0x00, 0x68, 0x69, 0xF0}) {
        DbfWriter text(0x83, driver);
        text.addField("TEXT", 'C', 8).addField("NOTE", 'M', 10);
        text.addRecord({"\xD0\x9C\xD0\xB8\xD1\x80", ""});
        text.addRecord({"\x80\x87\x9E\xA9", MemoPointer(text.addMemo("caf\xE9"), 10)});
        seeds.push_back(FromWriter("driver-" + std::to_string(driver), text, ".dbt"));
    }
    return seeds;
}

// One table for every converter ICU offers, named in its .cpg by the canonical name and
// by one alias: text and memo bytes that mean something different in each.
std::vector<Seed> IcuCodePages() {
    DbfWriter w(0x83, 0x00);
    w.addField("NAME", 'C', 12).addField("NOTE", 'M', 10);
    w.addRecord(
        {"\xE9\x80\xFF+AG\x1B$B~{\x0E",
         MemoPointer(w.addMemo(std::string("\x0B\x41\x00\x81\x82\xF0\x9F\xA4\x1B(J+-", 13)), 10)});
    std::vector<Seed> seeds;
    const int converters = tabrivel::fuzz::IcuConverterCount();
    for (int index = 0; index < 2 * converters; ++index) {
        const std::string name(tabrivel::fuzz::IcuCodePageName(static_cast<std::uint16_t>(index)));
        seeds.push_back(
            {"cpg-" + std::to_string(index) + "-" + name,
             tabrivel::fuzz::JoinInput(w.tableBytes(), w.memoBytes(), ".dbt", false, index)});
        std::replace(seeds.back().name.begin(), seeds.back().name.end(), '/', '_');
    }
    return seeds;
}

std::vector<Seed> WriterSeeds() {
    std::vector<Seed> seeds = {DBase3Plain(), DBase3Memo(),   DBase4Memo(), DBase7(),
                               FoxPro(),      VisualFoxPro(), DBase2(),     Broken()};
    for (auto* more : {CutMemos, SalvageSeeds, IcuCodePages}) {
        auto extra = more();
        seeds.insert(seeds.end(), extra.begin(), extra.end());
    }
    return seeds;
}

std::string ReadPrefix(const fs::path& path, std::size_t limit = SIZE_MAX) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    bytes.resize(std::min(bytes.size(), limit));
    return bytes;
}

std::uint32_t Little(const std::string& bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int k = count - 1; k >= 0; --k)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(k)]);
    return value;
}

// Cuts a table to the records that fit in kMaxTable and makes its header's record
// count say so, so that a shortened seed still reads to its end.
std::string Shortened(std::string table) {
    if (table.size() <= kMaxTable || table.size() < 12)
        return table;
    const bool base2 = table[0] == '\x02';
    const std::size_t headerLength = base2 ? 521 : Little(table, 8, 2);
    const std::size_t recordLength = base2 ? Little(table, 6, 2) : Little(table, 10, 2);
    table.resize(kMaxTable);
    if (recordLength == 0 || headerLength >= kMaxTable)
        return table;
    const std::size_t count = (kMaxTable - headerLength) / recordLength;
    table.resize(headerLength + count * recordLength);
    for (std::size_t k = 0; k < (base2 ? 2u : 4u); ++k)
        table[(base2 ? 1 : 4) + k] = static_cast<char>((count >> (8 * k)) & 0xFF);
    return table;
}

std::string Lowered(std::string text) {
    for (auto& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The first memo file beside `table`, whatever the letter case of its extension.
std::optional<fs::path> MemoBeside(const fs::path& table) {
    for (const auto& entry : fs::directory_iterator(table.parent_path())) {
        const auto extension = Lowered(entry.path().extension().string());
        const bool memo = extension == ".dbt" || extension == ".fpt" || extension == ".smt";
        if (memo && Lowered(entry.path().stem().string()) == Lowered(table.stem().string()))
            return entry.path();
    }
    return std::nullopt;
}

std::vector<Seed> RealSeeds(const fs::path& folder) {
    std::vector<Seed> seeds;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file() || Lowered(entry.path().extension().string()) != ".dbf")
            continue;
        const auto memo = MemoBeside(entry.path());
        const std::string extension = memo ? Lowered(memo->extension().string()) : "";
        const std::string table = Shortened(ReadPrefix(entry.path()));
        const std::size_t memoLimit =
            std::max(kMinMemo, kMaxInput - std::min(kMaxInput, table.size()));
        const std::string memoBytes = memo ? ReadPrefix(*memo, memoLimit) : "";
        auto name = fs::relative(entry.path(), folder).string();
        std::replace(name.begin(), name.end(), '/', '_');
        seeds.push_back({"real-" + name, tabrivel::fuzz::JoinInput(table, memoBytes, extension)});
    }
    return seeds;
}

// Recipes for the large-table fuzzer, laid out as TableRecipe.cpp reads them.
struct Recipe {
    std::uint8_t family, languageDriver, blockSize;
    std::vector<std::pair<std::uint8_t, std::uint8_t>> fields; // type index, width - 1
    std::uint16_t count;
    std::uint8_t countScale, memoCount;
    std::uint32_t memoLength;
    std::uint8_t deletedEvery, cuts;
    std::uint32_t tableCut, memoCut;
    std::uint16_t codePage;
    std::string filler;

    std::string bytes() const {
        std::string out{char(family), char(languageDriver), char(blockSize),
                        char(fields.size() - 1)};
        for (const auto& [type, width] : fields)
            out += {char(type), char(width)};
        for (std::size_t k = 0; k < fields.size(); ++k)
            out += {char(2), char(k == 2 ? 0x02 : 0)}; // decimals; the third field nullable
        const auto number = [&out](std::uint32_t value, int count) {
            for (int k = 0; k < count; ++k)
                out += char((value >> (8 * k)) & 0xFF);
        };
        number(count, 2);
        out += {char(countScale), char(memoCount - 1)};
        number(memoLength, 3);
        out += {char(deletedEvery), char(cuts)};
        number(tableCut, 3);
        number(memoCut, 3);
        number(codePage, 2);
        return out + filler;
    }
};

// Type indices in the recipe's type list.
constexpr std::uint8_t kC = 0, kN = 1, kD = 3, kL = 4, kM = 5, kI = 6, kY = 8, kT = 9, kV = 10;

std::vector<Seed> RecipeSeeds() {
    const std::string names = "Smith, J\xF6rg O'Brien 12.50 19991231 T \x8C\xA8\xE0 ";
    const std::vector<std::pair<std::string, Recipe>> recipes = {
        {"dbase3-chunks",
         {0, 0x03, 3, {{kC, 49}, {kN, 9}, {kD, 7}}, 30000, 0, 1, 0, 0, 0, 0, 0, 0, names}},
        {"dbase3-big-memo-cut",
         {1, 0x26, 3, {{kC, 19}, {kM, 9}}, 5000, 0, 2, 300000, 7, 0x02, 0, 450000, 0, names}},
        {"vfp-memo-nulls",
         {5,
          0x03,
          2,
          {{kI, 3}, {kM, 3}, {kV, 19}, {kY, 7}, {kT, 7}},
          20000,
          0,
          2,
          100000,
          0,
          0,
          0,
          0,
          0,
          names}},
        {"foxpro-cut-table",
         {3,
          0x03,
          1,
          {{kC, 30}, {kM, 9}, {kL, 0}},
          4000,
          1,
          3,
          70000,
          3,
          0x01,
          1500000,
          0,
          0,
          names}},
        {"dbase4-memo", {2, 0x57, 3, {{kC, 9}, {kM, 9}}, 3000, 0, 1, 700000, 0, 0, 0, 0, 0, names}},
        {"hipersix-memo",
         {7, 0x03, 1, {{kC, 9}, {kM, 9}}, 2000, 0, 2, 40000, 0, 0, 0, 0, 0, names}},
        {"dbase3-cpg-cut-both",
         {1, 0x00, 3, {{kC, 79}, {kM, 9}}, 9000, 0, 1, 600000, 0, 0x0B, 700001, 3000, 40, names}},
    };
    std::vector<Seed> seeds;
    for (const auto& [name, recipe] : recipes)
        seeds.push_back({"recipe-" + name, recipe.bytes()});
    return seeds;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--recipes") {
        fs::create_directories(argv[2]);
        for (const auto& seed : RecipeSeeds()) {
            std::ofstream out(fs::path(argv[2]) / seed.name, std::ios::binary | std::ios::trunc);
            out.write(seed.bytes.data(), static_cast<std::streamsize>(seed.bytes.size()));
        }
        return 0;
    }
    if (argc < 2 || argc > 3) {
        std::fprintf(
            stderr,
            "usage: %s OUTPUT_FOLDER [REAL_TABLES_FOLDER]\n       %s --recipes OUTPUT_FOLDER\n",
            argv[0], argv[0]);
        return 2;
    }
    const fs::path output = argv[1];
    fs::create_directories(output);
    auto seeds = WriterSeeds();
    if (argc == 3 && fs::is_directory(argv[2])) {
        auto real = RealSeeds(argv[2]);
        seeds.insert(seeds.end(), real.begin(), real.end());
    }
    for (const auto& seed : seeds) {
        std::ofstream out(output / seed.name, std::ios::binary | std::ios::trunc);
        out.write(seed.bytes.data(), static_cast<std::streamsize>(seed.bytes.size()));
    }
    std::printf("%zu seeds in %s\n", seeds.size(), output.c_str());
    return 0;
}
