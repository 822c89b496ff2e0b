#include "HostileCorpus.h"

#include "samples/DbfWriter.h"

#include <algorithm>
#include <fstream>

namespace tabrivel::testing {
namespace {

using std::string_literals::operator""s;

// Ends a literal and runs SQL, or reaches a client's own commands, in one way or another.
const std::vector<std::string> kAsciiAttacks = {
    "'",
    "''",
    "\\",
    "\\'",
    "'\\\\'",
    "ends in a backslash\\",
    ",'');DROP TABLE victim;#",
    "\\! touch PWNED #",
    "'); DROP TABLE victim; --",
    "\\'); DROP TABLE victim; -- ",
    "\r",
    "\n",
    "\r\n",
    "a\tb",
    "-- not a comment",
    "/* not a comment",
    ";",
    "\"",
    "`",
    "]",
    "\x1A",
};

// Memos span lines: a client reading line by line must not take any of them for its own.
const std::vector<std::string> kAsciiMemos = {
    "lone backslash at the end\\",  "first\r\n\\! touch PWNED\r\n",
    "first\n.shell touch PWNED\n",  "';\n\\! touch PWNED\n",
    "\\'); DROP TABLE victim; -- ", "x');\r\n.system touch PWNED\r\n--",
};

// MySQL's literals carry a NUL as an escape; standard ones cannot carry it at all.
DbfWriter NulTable() {
    DbfWriter w(0xF5, 0x00);
    w.setMemoFormat(MemoFormat::FoxPro, 64);
    w.addField("TEXT", 'C', 4).addField("NOTE", 'M', 10);
    w.addRecord({"x", MemoPointer(w.addMemo("nul\0inside\0"s), 10)});
    w.addRecord({"é", MemoPointer(w.addMemo("€\0\\'"s), 10)});
    w.addRecord({"'", MemoPointer(w.addMemo("\0'); DROP TABLE victim; -- "s), 10)});
    return w;
}

// Filled to the last byte: nothing of the field's width is left for padding.
const std::vector<std::string> kAsciiFull = {"\\\\\\\\\\\\\\\\", "1234567\\", "'''''''\\",
                                             "\\'\\'\\'\\'"};

// After a lead byte GBK takes 0x5C or a backtick as part of one character, so text
// escaped for UTF-8 reads differently there; the rest is text any client must keep.
const std::vector<std::string> kUnicodeAttacks = {
    "€\\",
    "€\\'); DROP TABLE victim; -- ",
    "é'",
    "é''",
    "é\\",
    "€,'');DROP TABLE victim;#",
    "€\\! touch PWNED #",
    "😀",
    "😀\\",
    "中文\\'",
    "Привет\\",
    "縷\\",
    "€`",
    "αβγ\r\n€\\",
};

const std::vector<std::string> kUnicodeMemos = {
    "€\\",
    "中\\\r\n€\\'); DROP TABLE victim; -- ",
    "emoji 😀🎉 and CJK 漢字",
    "€\n\\! touch PWNED\n",
    "е́ combining and \u200B zero width",
    "Ünïcödé lone backslash at the end\\",
};

const std::vector<std::string> kUnicodeFull = {"€\\", "é\\\\", "😀", "縷\\"};

// With one column a literal that ends early leaves a whole statement behind it, which a
// client that stops at its first error still runs: the first rows are the sharpest.
const std::vector<std::string> kOneColumnAttacks = {
    "\\'); DROP TABLE victim; -- ", "€\\'); DROP TABLE victim; -- ",   "'); DROP TABLE victim; -- ",
    "\\'';\n\\! touch PWNED\n",     "€\\';\r\n.shell touch PWNED\r\n",
};

std::string At(const std::vector<std::string>& values, std::size_t row) {
    return row < values.size() ? values[row] : std::string();
}

// Character values, a full-width character field and a memo, one record per attack.
DbfWriter ValueTable(std::uint8_t languageDriver, const std::vector<std::string>& attacks,
                     const std::vector<std::string>& full, const std::vector<std::string>& memos) {
    DbfWriter w(0xF5, languageDriver);
    w.setMemoFormat(MemoFormat::FoxPro, 64);
    w.addField("TEXT", 'C', 48).addField("FULL", 'C', static_cast<int>(full.front().size()));
    w.addField("NOTE", 'M', 10);
    const std::size_t rows = std::max({attacks.size(), full.size(), memos.size()});
    for (std::size_t row = 0; row < rows; ++row) {
        const std::string memo = At(memos, row);
        w.addRecord({At(attacks, row), At(full, row),
                     MemoPointer(w.addMemo(memo.empty() ? "-" : memo), 10)});
    }
    return w;
}

// Names that try to close their quotes, in cp1252 (0xC9 is É), control bytes among them,
// and one that takes the whole ten bytes a name has.
DbfWriter FieldNameTable() {
    DbfWriter w(0x03, 0x03);
    const std::vector<std::string> names = {"A\"B",
                                            "A`B",
                                            "A]B",
                                            "A'B",
                                            "A;B",
                                            "A\\B",
                                            "\xC9T\xC9",
                                            "A\x01"
                                            "B",
                                            "A\nB",
                                            "Q\"]`';\\--Z"};
    std::vector<std::string> first;
    std::vector<std::string> second;
    for (std::size_t i = 0; i < names.size(); ++i) {
        w.addField(names[i], 'C', 4);
        first.push_back(std::to_string(i + 1));
        second.push_back(i % 2 ? "'" : "\\");
    }
    w.addRecord(first).addRecord(second);
    return w;
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

struct HostileName {
    const char* label;
    std::string base;
};

// File names that try to end a quoted or unquoted name, or start a client command on a
// line of their own.
std::vector<HostileName> HostileNames() {
    return {
        {"file name with DROP TABLE", "x (a text);DROP TABLE victim;--"},
        {"file name with a psql command", "\\! touch PWNED #"},
        {"file name with a newline and a client command", "x\n\\! touch PWNED"},
        {"file name with a newline and a dot command", "x\n.shell touch PWNED"},
        {"file name with a backtick", "a`b"},
        {"file name with a double quote", "a\"b"},
        {"file name with a closing bracket", "a]b"},
        {"file name with an apostrophe", "a'b"},
        {"file name ending in e-acute", "café"},
        {"file name with e-acute before a backtick", "café`x"},
        {"file name ending in euro", "x€"},
        {"file name with euro before a backtick", "x€`;DROP TABLE victim;#"},
        {"file name with euro and backslash", "€\\"},
        {"file name in Latin-1", "caf\xE9"},
        {"file name of 80 characters", "long_" + std::string(75, 'n')},
    };
}

bool IsAscii(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

void WriteOneColumnTable(const std::filesystem::path& path,
                         const std::vector<std::string>& values) {
    std::size_t width = 1;
    for (const std::string& value : values)
        width = std::max(width, value.size());
    DbfWriter w(0x03, 0x00);
    w.addField("V", 'C', static_cast<int>(width));
    for (const std::string& value : values)
        w.addRecord({value});
    w.write(path);
    auto cpg = path;
    WriteText(cpg.replace_extension(".cpg"), "UTF-8");
}

void WriteOneValueTable(const std::filesystem::path& path, const std::string& value) {
    WriteOneColumnTable(path, {value});
}

std::vector<HostileTable> WriteHostileCorpus(const std::filesystem::path& folder) {
    std::vector<HostileTable> tables;
    ValueTable(0x03, kAsciiAttacks, kAsciiFull, kAsciiMemos)
        .write(folder / "ascii_values.dbf", ".fpt");
    tables.push_back({"ASCII values", "ascii_values.dbf", true, false, false, true});
    ValueTable(0x00, kUnicodeAttacks, kUnicodeFull, kUnicodeMemos)
        .write(folder / "unicode_values.dbf", ".fpt");
    WriteText(folder / "unicode_values.cpg", "UTF-8");
    tables.push_back({"Unicode values", "unicode_values.dbf", true, false, false, true});
    NulTable().write(folder / "nul_values.dbf", ".fpt");
    WriteText(folder / "nul_values.cpg", "UTF-8");
    tables.push_back({"NUL values", "nul_values.dbf", true, false, true, true});
    WriteOneColumnTable(folder / "one_column.dbf", kOneColumnAttacks);
    tables.push_back({"one-column attacks", "one_column.dbf", true, false, false, true});
    FieldNameTable().write(folder / "field_names.dbf");
    tables.push_back({"field names", "field_names.dbf", true, false, false, false});
    for (const HostileName& name : HostileNames()) {
        const std::string fileName = name.base + ".dbf";
        WriteOneValueTable(folder / fileName, "it's");
        tables.push_back(
            {name.label, fileName, IsAscii(fileName), name.base.size() > 63, false, false});
    }
    return tables;
}

} // namespace tabrivel::testing
