#include "FixtureTables.h"

#include "samples/DbfWriter.h"

#include <bit>
#include <cstdint>

namespace tabrivel::testing {
namespace {

using std::string_literals::operator""s;

constexpr std::uint8_t kNullable = 0x02;

// dBase III text that tries to break out of its quotes, in cp1252.
DbfWriter DBase3Text() {
    DbfWriter w(0x03, 0x03);
    w.addField("NAME", 'C', 24).addField("AMOUNT", 'N', 9, 2).addField("BORN", 'D', 8);
    w.addField("OK", 'L', 1);
    w.addRecord({"O'Brien", "  -120.50", "19991231", "T"});
    w.addRecord({"'); DROP TABLE x; --", "", "        ", "?"});
    w.addRecord({"gone", "1", "20000101", "F"}, true);
    w.addRecord({"M\xFCller \x80 caf\xE9", "1,5", "20211345", "y"});
    w.addRecord({"", "*********", "00000000", " "});
    w.addRecord({"''", "    0.00", "20240229", "n"});
    w.addRecord({"a\0b\0"s, "abc", "1999", "N"});
    w.addRecord({"C:\\dir\\ \\' \\\\n", "  1234.5", "00010101", "t"});
    return w;
}

// Cyrillic text in cp866: every character becomes two bytes of UTF-8.
DbfWriter Cyrillic() {
    DbfWriter w(0x03, 0x65);
    w.addField("CITY", 'C', 10).addField("CODE", 'C', 3);
    w.addRecord({"\x8C\xAE\xE1\xAA\xA2\xA0", "\"x\""});
    w.addRecord({"\x8A\xA8\xA5\xA2 '", "\"\"\""});
    w.addRecord({"\\\t\\N", "\\"});
    return w;
}

// dBase III memos: line breaks, apostrophes, a memo spanning blocks, no memo at all.
DbfWriter DBase3Memo() {
    DbfWriter w(0x83);
    w.addField("ID", 'N', 3).addField("NOTE", 'M', 10);
    w.addRecord({"  1", MemoPointer(w.addMemo("first line\r\nit's\nthe second\r"), 10)});
    w.addRecord({"  2", MemoPointer(w.addMemo(std::string(1500, 'x') + "'end"), 10)});
    w.addRecord({"  3", ""});
    w.addRecord({"  4", MemoPointer(w.addMemo(""), 10)});
    w.addRecord({"  5", MemoPointer(w.addMemo("tab\there\\.\\\r\n\\N"), 10)});
    return w;
}

// FoxPro 2 memos holding NUL bytes, non-ASCII text and an empty memo; a picture field.
DbfWriter FoxProMemo() {
    DbfWriter w(0xF5, 0x03);
    w.setMemoFormat(MemoFormat::FoxPro, 64);
    w.addField("NAME", 'C', 8).addField("NOTE", 'M', 10).addField("PIC", 'G', 10);
    w.addField("RATE", 'F', 10, 3);
    w.addRecord({"a'b", MemoPointer(w.addMemo("nul\0inside\0"s), 10),
                 MemoPointer(w.addMemo("\x01\x02'\\\xFF", 0), 10), "    -0.125"});
    w.addRecord({"", MemoPointer(w.addMemo("Gr\xFC\xDF\x65 \x93quoted\x94\r\n"), 10),
                 MemoPointer(0, 10), ""});
    w.addRecord({"x", MemoPointer(w.addMemo(""), 10), "", "   1.5E+02"});
    return w;
}

// Visual FoxPro binary fields, nullable fields with their flags, varchar, memos in
// one-byte blocks.
DbfWriter VisualFoxPro() {
    DbfWriter w(0x32, 0x03);
    w.setMemoFormat(MemoFormat::FoxPro, 1);
    w.addField("ID", 'I', 4).addField("PRICE", 'Y', 8).addField("WHEN", 'T', 8);
    w.addField("RATIO", 'B', 8, 2).addField("NAME", 'V', 10, 0, kNullable);
    w.addField("NOTE", 'M', 4, 0, kNullable).addField("DAY", 'D', 8, 0, kNullable);
    w.addField("BLOB", 'Q', 6).addField("_NullFlags", '0', 1, 0, 0x05);
    w.addRecord({Little32(0xFFFFFFFF), Little64(123456789), Little32(2459000) + Little32(3600000),
                 LittleDouble(-2.5), "it's\0\0\0\0\0\x04"s, Little32(w.addMemo("a\r\nb'\0c"s)),
                 "20240131", "\x00\xFF\\'\x01\x02"s, "\x02"});
    w.addRecord({Little32(7), Little64(static_cast<std::uint64_t>(-1)), std::string(8, '\0'),
                 LittleDouble(1e300), "", Little32(0), "", "", "\x0D"});
    w.addRecord({Little32(0), Little64(0), Little32(2451545) + Little32(0), LittleDouble(0),
                 "0123456789", Little32(w.addMemo("")), "        ", "abcdef", "\x00"s});
    return w;
}

// dBase 7 doubles: big-endian, sign bit flipped for positive values and every bit
// flipped for negative ones.
std::string Base7Double(double value) {
    std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    bits = value >= 0 ? bits ^ 0x8000'0000'0000'0000u : ~bits;
    return Big32(static_cast<std::uint32_t>(bits >> 32)) + Big32(static_cast<std::uint32_t>(bits));
}

// dBase 7 long field names, names equal but for case, and its own binary types.
DbfWriter DBase7() {
    DbfWriter w(0x04, 0x03);
    w.addField("CUSTOMER_NUMBER", 'I', 4).addField("customer_number", 'C', 6);
    w.addField("LAST_SEEN", '@', 8).addField("SCORE", 'O', 8).addField("ACTIVE", 'L', 1);
    // Milliseconds, counting 1 January of year 1 as day 1.
    constexpr double kNoonOf2000 = 730120.0 * 86'400'000.0 + 43'200'000.0;
    w.addRecord({Big32(0x80000005), "abc", Base7Double(kNoonOf2000), Base7Double(2.75), "T"});
    w.addRecord({Big32(0x7FFFFFFF), "", std::string(8, '\0'), Base7Double(-0.5), "?"});
    return w;
}

struct Maker {
    const char* name;
    DbfWriter (*make)();
    const char* memoExtension;
};

constexpr Maker kMakers[] = {
    {"dbase3_text", &DBase3Text, ""},         {"cyrillic", &Cyrillic, ""},
    {"dbase3_memo", &DBase3Memo, ".dbt"},     {"foxpro_memo", &FoxProMemo, ".fpt"},
    {"visual_foxpro", &VisualFoxPro, ".fpt"}, {"dbase7", &DBase7, ""},
};

} // namespace

std::vector<FixtureTable> WriteFixtureTables(const std::filesystem::path& folder) {
    std::vector<FixtureTable> tables;
    for (const Maker& maker : kMakers) {
        const std::string fileName = maker.name + ".dbf"s;
        maker.make().write(folder / fileName, maker.memoExtension);
        tables.push_back({maker.name, fileName});
    }
    return tables;
}

} // namespace tabrivel::testing
