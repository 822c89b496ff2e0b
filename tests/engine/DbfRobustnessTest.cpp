// Hostile input: tables and memo files with bytes overwritten at random (a fixed
// seed, so every run sees the same files) read whole, read with warnings, or fail with
// a TableError; never a crash, another exception, or a read outside the buffers (run
// under asan).
#include "DbfTestSupport.h"
#include "samples/DbfWriter.h"

#include <random>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

struct Sample {
    std::string table;
    std::string memo;
    const char* memoExtension;
};

Sample VisualFoxProSample() {
    DbfWriter writer(0x32, 0xC9);
    writer.setMemoFormat(MemoFormat::FoxPro, 32);
    writer.addField("NAME", 'V', 8, 0, kNullable)
        .addField("WHEN", 'T', 8)
        .addField("PRICE", 'Y', 8)
        .addField("NOTES", 'M', 4)
        .addField("_NullFlags", '0', 1, 0, 0x05);
    for (int i = 0; i < 4; ++i)
        writer.addRecord({"abc", Little32(2451545 + i) + Little32(1000),
                          Little64(static_cast<std::uint64_t>(i) * 12345),
                          MemoPointer(writer.addMemo(std::string(40 * i, 'x')), 4),
                          std::string(1, static_cast<char>(i))});
    return {writer.tableBytes(), writer.memoBytes(), ".fpt"};
}

Sample DBase4Sample() {
    DbfWriter writer(0x8B, 0x26);
    writer.setMemoFormat(MemoFormat::DBase4, 64);
    writer.addField("CODE", 'N', 6, 2).addField("DAY", 'D', 8).addField("OK", 'L', 1);
    writer.addField("NOTES", 'M', 10);
    for (int i = 0; i < 4; ++i)
        writer.addRecord({std::to_string(i) + ".5", "20200101", "T",
                          MemoPointer(writer.addMemo(std::string(70 * i, 'y')), 10)});
    return {writer.tableBytes(), writer.memoBytes(), ".dbt"};
}

Sample DBase7Sample() {
    DbfWriter writer(0x04);
    writer.addField("A long field name", 'C', 5).addField("N", 'O', 8).addField("I", 'I', 4);
    writer.addField("T", '@', 8);
    for (int i = 0; i < 3; ++i)
        writer.addRecord(
            {"abc", std::string(8, '\x40'), Big32(0x8000'0000u + i), std::string(8, '\x42')});
    return {writer.tableBytes(), {}, nullptr};
}

// Overwrites a few bytes, mostly in the header, where the interesting damage is.
std::string Mutated(std::string bytes, std::mt19937& random) {
    if (bytes.empty())
        return bytes;
    std::uniform_int_distribution<int> count(1, 4);
    std::uniform_int_distribution<int> value(0, 255);
    const int changes = count(random);
    for (int i = 0; i < changes; ++i) {
        const std::size_t limit =
            random() % 4 == 0 ? bytes.size() : std::min<std::size_t>(bytes.size(), 600);
        bytes[random() % limit] = static_cast<char>(value(random));
    }
    if (random() % 8 == 0)
        bytes.resize(random() % bytes.size());
    return bytes;
}

} // namespace

class DbfRobustnessTest : public QObject {
    Q_OBJECT

private slots:
    void damagedFilesFailCleanly_data();
    void damagedFilesFailCleanly();
};

void DbfRobustnessTest::damagedFilesFailCleanly_data() {
    QTest::addColumn<int>("sample");
    QTest::addColumn<bool>("damageMemo");
    for (int sample = 0; sample < 3; ++sample)
        for (bool memo : {false, true})
            if (sample != 2 || !memo)
                QTest::addRow("sample %d, damaged %s", sample, memo ? "memo" : "table")
                    << sample << memo;
}

void DbfRobustnessTest::damagedFilesFailCleanly() {
    QFETCH(int, sample);
    QFETCH(bool, damageMemo);
    const Sample samples[] = {VisualFoxProSample(), DBase4Sample(), DBase7Sample()};
    const auto& original = samples[sample];

    QTemporaryDir dir;
    const auto path = PathIn(dir, "damaged.dbf");
    std::mt19937 random(1234u + static_cast<unsigned>(sample));
    int clean = 0;
    int damaged = 0; // read with warnings, or refused
    for (int round = 0; round < 150; ++round) {
        WriteFile(path, damageMemo ? original.table : Mutated(original.table, random));
        if (original.memoExtension)
            WriteFile(PathIn(dir, (std::string("damaged") + original.memoExtension).c_str()),
                      damageMemo ? Mutated(original.memo, random) : original.memo);
        const auto reading = ReadTable(path);
        if (reading.error.empty() && reading.warnings.empty())
            ++clean;
        else
            ++damaged;
    }
    // Both outcomes must occur, or the damage never reached what the reader checks.
    QVERIFY(clean > 0);
    QVERIFY(damaged > 0);
}

QTEST_GUILESS_MAIN(DbfRobustnessTest)
#include "DbfRobustnessTest.moc"
