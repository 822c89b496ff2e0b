// What the reader delivers but cannot deliver whole is reported: a field of width 0, a
// record with bytes no field covers, a logical byte of no known meaning, a NUL that
// cuts a value short, NULs inside a text memo, bytes that are no UTF-8 in a UTF-8 table.
// Each warning names its field, counts the values and gives the first record.
#include "DbfTestSupport.h"
#include "samples/DbfWriter.h"

using namespace tabrivel;
using namespace tabrivel::testing;
using namespace std::string_literals;

namespace {

const TableWarning* Find(const TableReading& reading, TableErrorCode code) {
    for (const auto& warning : reading.warnings)
        if (warning.code == code)
            return &warning;
    return nullptr;
}

bool Mentions(const TableWarning& warning, const char* text) {
    return warning.message().find(text) != std::string::npos;
}

} // namespace

class DbfLossTest : public QObject {
    Q_OBJECT

private slots:
    void fieldOfWidthZeroIsEmpty();
    void bytesBeyondTheFieldsAreReported();
    void unknownLogicalByteIsCounted();
    void nulCuttingAValueIsCounted();
    void nulsInsideAMemoAreCounted();
    void nulsInsideALongMemoAreCounted();
    void invalidUtf8InAUtf8TableIsCounted();
    void cleanTableWarnsOfNothing();

private:
    QTemporaryDir dir_;
};

void DbfLossTest::fieldOfWidthZeroIsEmpty() {
    DbfWriter writer(0x03);
    writer.addField("A", 'C', 2).addField("GONE", 'C', 0).addField("GONE2", 'N', 0);
    writer.addField("B", 'N', 3);
    writer.addRecord({"ab", "", "", "  7"}).addRecord({"cd", "", "", " 12"});
    const auto path = PathIn(dir_, "zero.dbf");
    writer.write(path);

    const auto reading = ReadTable(path);
    QCOMPARE(reading.error, std::string());
    QCOMPARE(Column(reading.records, 0), (std::vector<std::string>{"ab", "cd"}));
    QCOMPARE(Column(reading.records, 3), (std::vector<std::string>{"7", "12"}));
    for (const auto& record : reading.records) {
        QCOMPARE(ValueTypeName(record[1].type), ValueTypeName(ValueType::Null));
        QCOMPARE(ValueTypeName(record[2].type), ValueTypeName(ValueType::Null));
    }
    QCOMPARE(reading.warnings.size(), 1u);
    QCOMPARE(reading.warnings[0].code, TableErrorCode::EmptyField);
    QVERIFY(Mentions(reading.warnings[0], "GONE, GONE2"));
}

void DbfLossTest::bytesBeyondTheFieldsAreReported() {
    DbfWriter writer(0x03);
    writer.addField("A", 'C', 3).addField("B", 'C', 3).addRecord({"abc", "xyz"});
    // The second descriptor becomes the terminator: its bytes stay in every record.
    std::string bytes = writer.tableBytes();
    bytes[64] = '\x0D';
    const auto path = PathIn(dir_, "wide.dbf");
    WriteFile(path, bytes);

    const auto reading = ReadTable(path);
    QCOMPARE(reading.error, std::string());
    QCOMPARE(Column(reading.records, 0), (std::vector<std::string>{"abc"}));
    const auto* warning = Find(reading, TableErrorCode::RecordLength);
    QVERIFY(warning);
    QVERIFY2(Mentions(*warning, "need 4 bytes of each record of 7"), warning->message().c_str());
}

void DbfLossTest::unknownLogicalByteIsCounted() {
    DbfWriter writer(0x03);
    writer.addField("OK", 'L', 1).addField("SURE", 'L', 1);
    for (const char* pair : {"T?", "x ", "FN", "0y", "Z0"})
        writer.addRecord({std::string(1, pair[0]), std::string(1, pair[1])});
    const auto path = PathIn(dir_, "logical.dbf");
    writer.write(path);

    const auto reading = ReadTable(path);
    QCOMPARE(Column(reading.records, 0), (std::vector<std::string>{"True", "", "False", "", ""}));
    QCOMPARE(Column(reading.records, 1), (std::vector<std::string>{"", "", "False", "True", ""}));
    // "?" and a blank are the writer's own "unknown"; x, 0 and Z are no value at all.
    QCOMPARE(reading.warnings.size(), 2u);
    QCOMPARE(reading.warnings[0].code, TableErrorCode::UnreadableValue);
    QCOMPARE(reading.warnings[0].count, 3u);
    QCOMPARE(reading.warnings[0].firstRecord, 2u);
    QVERIFY(Mentions(reading.warnings[0], "field OK"));
    QCOMPARE(reading.warnings[1].count, 1u);
    QCOMPARE(reading.warnings[1].firstRecord, 5u);
    QVERIFY(Mentions(reading.warnings[1], "field SURE"));
}

void DbfLossTest::nulCuttingAValueIsCounted() {
    DbfWriter writer(0x03);
    writer.addField("NAME", 'C', 6);
    writer.addRecord({"ab\0\0  "s}); // a C writer's padding: nothing lost
    writer.addRecord({"ab\0cd "s});
    writer.addRecord({"\0stale"s});
    const auto path = PathIn(dir_, "nul.dbf");
    writer.write(path);

    const auto reading = ReadTable(path);
    QCOMPARE(Column(reading.records, 0), (std::vector<std::string>{"ab", "ab", ""}));
    QCOMPARE(reading.warnings.size(), 1u);
    QCOMPARE(reading.warnings[0].code, TableErrorCode::UncarriedText);
    QCOMPARE(reading.warnings[0].count, 2u);
    QCOMPARE(reading.warnings[0].firstRecord, 2u);
}

void DbfLossTest::nulsInsideAMemoAreCounted() {
    DbfWriter writer(0x03);
    writer.addField("NOTE", 'M', 10);
    const auto padded = writer.addMemo("text\0\0"s);
    const auto picture = writer.addMemo("\xFF\xD8\0\x10JFIF\0"s);
    writer.addRecord({MemoPointer(padded, 10)});
    writer.addRecord({MemoPointer(picture, 10)});
    writer.addRecord({MemoPointer(picture, 10)}); // the same memo again, from the cache
    const auto path = PathIn(dir_, "nulmemo.dbf");
    writer.write(path, ".dbt");

    const auto reading = ReadTable(path);
    QCOMPARE(reading.records.size(), 3u);
    QCOMPARE(reading.warnings.size(), 1u);
    QCOMPARE(reading.warnings[0].code, TableErrorCode::NulInText);
    QCOMPARE(reading.warnings[0].count, 2u);
    QCOMPARE(reading.warnings[0].firstRecord, 2u);
    QVERIFY(Mentions(reading.warnings[0], "field NOTE"));
}

void DbfLossTest::nulsInsideALongMemoAreCounted() {
    // Memos longer than a piece reach their statement piece by piece: a NUL at the end of
    // the first piece with text after it in the second is a loss, padding at the end none.
    const std::size_t piece = 1024 * 1024;
    std::string inside(piece - 1, 'a');
    inside += std::string(1, '\0') + "after";
    std::string padded(piece + 10, 'b');
    padded += std::string(600, '\0');
    DbfWriter writer(0x03);
    writer.addField("NOTE", 'M', 10);
    writer.addRecord({MemoPointer(writer.addMemo(padded), 10)});
    writer.addRecord({MemoPointer(writer.addMemo(inside), 10)});
    const auto path = PathIn(dir_, "longnul.dbf");
    writer.write(path, ".dbt");

    const auto reading = ReadTable(path);
    QCOMPARE(reading.records.size(), 2u);
    QCOMPARE(reading.records[1][0].text.size(), inside.size());
    QCOMPARE(reading.warnings.size(), 1u);
    QCOMPARE(reading.warnings[0].code, TableErrorCode::NulInText);
    QCOMPARE(reading.warnings[0].count, 1u);
    QCOMPARE(reading.warnings[0].firstRecord, 2u);
}

void DbfLossTest::invalidUtf8InAUtf8TableIsCounted() {
    DbfWriter writer(0x03, 0x00);
    writer.addField("NAME", 'C', 6).addField("NOTE", 'M', 10);
    writer.addRecord({"caf\xC3\xA9", MemoPointer(writer.addMemo("ok \xE2\x82\xAC"), 10)});
    writer.addRecord({"caf\xE9", MemoPointer(writer.addMemo("bad \xE2\x82"), 10)});
    const auto path = PathIn(dir_, "utf8.dbf");
    writer.write(path, ".dbt");
    WriteFile(PathIn(dir_, "utf8.cpg"), "UTF-8");

    const auto reading = ReadTable(path);
    QCOMPARE(Column(reading.records, 0),
             (std::vector<std::string>{"caf\xC3\xA9 ", "caf\xEF\xBF\xBD  "}));
    QCOMPARE(reading.warnings.size(), 2u);
    for (const auto& warning : reading.warnings) {
        QCOMPARE(warning.code, TableErrorCode::UncarriedText);
        QCOMPARE(warning.count, 1u);
        QCOMPARE(warning.firstRecord, 2u);
    }
    QVERIFY(Mentions(reading.warnings[0], "field NAME"));
    QVERIFY(Mentions(reading.warnings[1], "field NOTE"));
}

void DbfLossTest::cleanTableWarnsOfNothing() {
    DbfWriter writer(0x03);
    writer.addField("NAME", 'C', 4).addField("OK", 'L', 1).addField("NOTE", 'M', 10);
    writer.addRecord({"ab", "?", MemoPointer(writer.addMemo("line\r\n"), 10)});
    writer.addRecord({"", " ", ""});
    const auto path = PathIn(dir_, "clean.dbf");
    writer.write(path, ".dbt");

    const auto reading = ReadTable(path);
    QCOMPARE(reading.records.size(), 2u);
    QVERIFY(reading.warnings.empty());
}

QTEST_GUILESS_MAIN(DbfLossTest)
#include "DbfLossTest.moc"
