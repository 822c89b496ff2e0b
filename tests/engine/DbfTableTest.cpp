// Table structure: deletion flags, _NullFlags, varchar lengths, broken headers and
// record areas, the dBase II and dBase 7 layouts, and streaming past chunk borders.
#include "DbfTestSupport.h"
#include "samples/DbfWriter.h"

using namespace tabrivel;
using namespace tabrivel::testing;

class DbfTableTest : public QObject {
    Q_OBJECT

private slots:
    void skipsDeletedRecordsOnly();
    void nullFlagsMakeFieldsNull();
    void varcharAndVarbinaryLengths();
    void malformedTableIsRefused_data();
    void malformedTableIsRefused();
    void truncatedRecordsAreReportedAfterTheCompleteOnes();
    void headerCountWinsOverTrailingBytes();
    void descriptorsWithoutTerminator();
    void headerLongerThanDescriptors();
    void recordLengthOneShortOfTheFields();
    void recordLengthOneShortInATruncatedTable();
    void characterFieldsWiderThan255();
    void visualFoxProHeaderWithoutRoomForTheBackLink();
    void dBase2Layout();
    void dBase7Layout();
    void streamsAcrossChunkBorders();

private:
    QTemporaryDir dir_;
};

void DbfTableTest::skipsDeletedRecordsOnly() {
    DbfWriter writer(0x03);
    writer.addField("NAME", 'C', 5);
    writer.addRecord({"alive"}).addRecord({"gone"}, true).addRecord({"last"});
    auto bytes = writer.tableBytes();
    // A third-party writer left a NUL where the flag goes: the record still counts.
    bytes[bytes.size() - writer.recordLength()] = '\0';
    const auto path = PathIn(dir_, "deleted.dbf");
    WriteFile(path, bytes);
    QCOMPARE(Column(ReadAllRecords(path), 0), (std::vector<std::string>{"alive", "last "}));
    const auto skipping = OpenTable(path);
    while (skipping->next()) {
    }
    QCOMPARE(skipping->deletedLeftOut(), 1u);

    // Asked for, every record comes, each with whether it is marked deleted.
    const auto all = OpenTable(path, {.encoding = {}, .deleted = true});
    QCOMPARE(all->fieldCount(), 2);
    QCOMPARE(all->fields()[1].name, std::string(kDeletedField));
    QCOMPARE(all->fields()[1].kind, FieldKind::Logical);
    const auto records = ReadAllRecords(path, {.encoding = {}, .deleted = true});
    QCOMPARE(Column(records, 0), (std::vector<std::string>{"alive", "gone ", "last "}));
    QCOMPARE(Column(records, 1), (std::vector<std::string>{"False", "True", "False"}));
    QCOMPARE(records[1][1].type, ValueType::Logical);
}

void DbfTableTest::nullFlagsMakeFieldsNull() {
    DbfWriter writer(0x30);
    writer.addField("AMOUNT", 'N', 5, 0, kNullable)
        .addField("NAME", 'C', 3, 0, kNullable)
        .addField("FIXED", 'C', 2)
        .addField("WHEN", 'D', 8, 0, kNullable)
        .addField("_NullFlags", '0', 1, 0, 0x05);
    writer.addRecord({"   42", "abc", "xy", "20200101", std::string(1, '\x05')});
    writer.addRecord({"    7", "def", "zz", "20200102", std::string(1, '\x02')});
    const auto path = PathIn(dir_, "nulls.dbf");
    writer.write(path);

    const auto records = ReadAllRecords(path);
    QCOMPARE(records.size(), 2u);
    QCOMPARE(records[0].size(), 4u); // _NullFlags is not a field
    QCOMPARE(records[0][0].type, ValueType::Null);
    QCOMPARE(records[0][1].text, std::string("abc"));
    QCOMPARE(records[0][2].text, std::string("xy"));
    QCOMPARE(records[0][3].type, ValueType::Null);
    QCOMPARE(records[1][0].text, std::string("7"));
    QCOMPARE(records[1][1].type, ValueType::Null);
    QCOMPARE(records[1][3].text, std::string("2020-01-02"));
}

void DbfTableTest::varcharAndVarbinaryLengths() {
    // Bits in field order, a nullable varchar's length bit before its null bit: NOTE
    // length 0, NOTE null 1, CODE length 2, NAME length 3.
    DbfWriter writer(0x32);
    writer.addField("NOTE", 'V', 10, 0, kNullable)
        .addField("CODE", 'Q', 4)
        .addField("NAME", 'V', 6)
        .addField("_NullFlags", '0', 1, 0, 0x05);
    const std::string shortNote = std::string("hi") + std::string(7, ' ') + '\x02';
    const std::string shortCode = std::string("\x01\x02", 2) + '\0' + '\x02';
    writer.addRecord({shortNote, shortCode, "abcdef", std::string(1, '\x05')});
    writer.addRecord({"0123456789", "wxyz", "ab", std::string(1, '\x02')});
    writer.addRecord({"0123456789", "wxyz", std::string("ab    ", 5) + '\x02', "\x08"});
    const auto path = PathIn(dir_, "varchar.dbf");
    writer.write(path);

    const auto records = ReadAllRecords(path);
    QCOMPARE(records.size(), 3u);
    QCOMPARE(records[0][0], (OwnedValue{ValueType::Text, "hi"}));
    QCOMPARE(records[0][1], (OwnedValue{ValueType::Binary, std::string("\x01\x02", 2)}));
    QCOMPARE(records[0][2], (OwnedValue{ValueType::Text, "abcdef"}));
    QCOMPARE(records[1][0].type, ValueType::Null);
    QCOMPARE(records[1][1], (OwnedValue{ValueType::Binary, "wxyz"}));
    QCOMPARE(records[1][2], (OwnedValue{ValueType::Text, "ab    "}));
    QCOMPARE(records[2][0], (OwnedValue{ValueType::Text, "0123456789"}));
    QCOMPARE(records[2][2], (OwnedValue{ValueType::Text, "ab"}));
}

namespace {

std::string Patched(std::string bytes, std::size_t at, const std::string& with) {
    bytes.replace(at, with.size(), with);
    return bytes;
}

DbfWriter OneCharacterField() {
    DbfWriter writer(0x03);
    writer.addField("NAME", 'C', 5).addRecord({"one"}).addRecord({"two"});
    return writer;
}

} // namespace

void DbfTableTest::malformedTableIsRefused_data() {
    QTest::addColumn<QByteArray>("bytes"); // a null array: no file at all
    QTest::addColumn<TableErrorCode>("code");

    const auto valid = OneCharacterField().tableBytes();
    QTest::addRow("missing file") << QByteArray() << TableErrorCode::CannotOpen;
    QTest::addRow("empty file") << QByteArray("") << TableErrorCode::NotATable;
    QTest::addRow("shorter than a header")
        << ToQt(valid.substr(0, 10)) << TableErrorCode::TruncatedHeader;
    QTest::addRow("unknown version byte")
        << ToQt(Patched(valid, 0, "\x99")) << TableErrorCode::NotATable;
    QTest::addRow("record length zero")
        << ToQt(Patched(valid, 10, Little16(0))) << TableErrorCode::NotATable;
    QTest::addRow("header length below 32")
        << ToQt(Patched(valid, 8, Little16(20))) << TableErrorCode::NotATable;
    QTest::addRow("header length past the end")
        << ToQt(Patched(valid, 8, Little16(5000))) << TableErrorCode::TruncatedHeader;
    QTest::addRow("descriptors cut short")
        << ToQt(valid.substr(0, 40)) << TableErrorCode::TruncatedHeader;
    QTest::addRow("integer of nine bytes")
        << ToQt(DbfWriter(0x03).addField("COUNT", 'I', 9).tableBytes())
        << TableErrorCode::BadFieldDescriptor;
    QTest::addRow("Visual FoxPro datetime of four bytes")
        << ToQt(DbfWriter(0x30).addField("WHEN", 'T', 4).tableBytes())
        << TableErrorCode::BadFieldDescriptor;
    QTest::addRow("fields wider than the record")
        << ToQt(OneCharacterField().setRecordLength(3).appendBytes("junk").tableBytes())
        << TableErrorCode::BadFieldDescriptor;
    QTest::addRow("no fields") << ToQt(DbfWriter(0x03).setRecordLength(1).tableBytes())
                               << TableErrorCode::BadFieldDescriptor;
}

void DbfTableTest::malformedTableIsRefused() {
    QFETCH(QByteArray, bytes);
    QFETCH(TableErrorCode, code);
    const auto path = PathIn(dir_, "broken.dbf");
    std::filesystem::remove(path);
    if (!bytes.isNull())
        WriteFile(path, FromQt(bytes));
    QCOMPARE(ErrorOf(path), std::optional(code));
}

void DbfTableTest::truncatedRecordsAreReportedAfterTheCompleteOnes() {
    auto writer = OneCharacterField();
    writer.addRecord({"three"}).setRecordCount(5);
    auto bytes = writer.tableBytes();
    bytes += " half"; // a partial fourth record
    const auto path = PathIn(dir_, "truncated.dbf");
    WriteFile(path, bytes);

    auto table = OpenTable(path);
    std::vector<std::string> names;
    while (table->next()) {
        QVERIFY(table->warnings().empty()); // reported once, after the last complete record
        names.emplace_back(table->values()[0].text);
    }
    QCOMPARE(names, (std::vector<std::string>{"one  ", "two  ", "three"}));
    QCOMPARE(table->warnings().size(), 1u);
    const auto& warning = table->warnings()[0];
    QCOMPARE(warning.code, TableErrorCode::TruncatedRecords);
    QCOMPARE(warning.count, 2u);
    QCOMPARE(warning.firstRecord, 4u);
    QVERIFY2(warning.message().find("truncated after 3 of 5 records") != std::string::npos,
             warning.message().c_str());
    QVERIFY(!table->next());
    QCOMPARE(table->warnings().size(), 1u);
}

void DbfTableTest::headerCountWinsOverTrailingBytes() {
    auto writer = OneCharacterField();
    writer.setRecordCount(1).appendBytes("\x1A").appendBytes("junk!");
    const auto path = PathIn(dir_, "trailing.dbf");
    writer.write(path);
    QCOMPARE(Column(ReadAllRecords(path), 0), (std::vector<std::string>{"one  "}));
}

void DbfTableTest::descriptorsWithoutTerminator() {
    DbfWriter writer(0x03);
    writer.addField("NAME", 'C', 5).addField("CODE", 'N', 3).omitTerminator();
    writer.addRecord({"one", "  1"}).addRecord({"two", "  2"});
    const auto path = PathIn(dir_, "noterminator.dbf");
    writer.write(path);
    const auto records = ReadAllRecords(path);
    QCOMPARE(Column(records, 0), (std::vector<std::string>{"one  ", "two  "}));
    QCOMPARE(Column(records, 1), (std::vector<std::string>{"1", "2"}));
}

void DbfTableTest::headerLongerThanDescriptors() {
    auto writer = OneCharacterField();
    writer.setHeaderLength(100);
    const auto path = PathIn(dir_, "longheader.dbf");
    writer.write(path);
    QCOMPARE(Column(ReadAllRecords(path), 0), (std::vector<std::string>{"one  ", "two  "}));
}

void DbfTableTest::recordLengthOneShortOfTheFields() {
    auto writer = OneCharacterField();
    writer.setRecordLength(5).appendBytes("\x1A");
    const auto path = PathIn(dir_, "oneshort.dbf");
    writer.write(path);
    QCOMPARE(Column(ReadAllRecords(path), 0), (std::vector<std::string>{"one  ", "two  "}));
}

void DbfTableTest::recordLengthOneShortInATruncatedTable() {
    auto writer = OneCharacterField();
    writer.addRecord({"three"}).setRecordLength(5).setRecordCount(5);
    const auto path = PathIn(dir_, "oneshortcut.dbf");
    WriteFile(path, writer.tableBytes() + " hal"); // a partial fourth record

    const auto reading = ReadTable(path);
    QCOMPARE(reading.error, std::string());
    QCOMPARE(Column(reading.records, 0), (std::vector<std::string>{"one  ", "two  ", "three"}));
    // Nothing confirms the fields' width here: the reading is a guess, and says so.
    QCOMPARE(reading.warnings.size(), 2u);
    QCOMPARE(reading.warnings[0].code, TableErrorCode::RecordLength);
    QVERIFY2(reading.warnings[1].message().find("truncated after 3 of 5 records") !=
                 std::string::npos,
             reading.warnings[1].message().c_str());
}

// The header length says the records follow the terminator at once, where a Visual
// FoxPro table keeps its 263-byte back-link.
void DbfTableTest::visualFoxProHeaderWithoutRoomForTheBackLink() {
    DbfWriter writer(0x30);
    writer.addField("NAME", 'C', 5).addField("CODE", 'N', 3);
    writer.addRecord({"one", "  1"}).addRecord({"two", "  2"});
    constexpr std::uint32_t kDescriptorsEnd = 32 + 2 * 32 + 1;
    writer.setHeaderLength(kDescriptorsEnd); // the writer then leaves the back-link out
    const auto withoutBackLink = writer.tableBytes();
    const auto withBackLink =
        std::string(withoutBackLink).insert(kDescriptorsEnd, std::string(263, '\0'));
    const auto path = PathIn(dir_, "backlink.dbf");

    // The back-link is there: the records lie after it, and the repair is reported.
    WriteFile(path, withBackLink);
    auto reading = ReadTable(path);
    QCOMPARE(reading.error, std::string());
    QCOMPARE(Column(reading.records, 0), (std::vector<std::string>{"one  ", "two  "}));
    QCOMPARE(Column(reading.records, 1), (std::vector<std::string>{"1", "2"}));
    QCOMPARE(reading.warnings.size(), 1u);
    QCOMPARE(reading.warnings[0].code, TableErrorCode::RepairedHeader);

    // A writer that left the back-link out: the header length is right as it stands.
    WriteFile(path, withoutBackLink);
    reading = ReadTable(path);
    QCOMPARE(Column(reading.records, 0), (std::vector<std::string>{"one  ", "two  "}));
    QVERIFY(reading.warnings.empty());

    QCOMPARE(OpenTable(path)->containerLink(), std::string());
    writer.setHeaderLength(kDescriptorsEnd + 263).setContainerLink("..\\data\\shop.dbc");
    WriteFile(path, writer.tableBytes());
    QCOMPARE(OpenTable(path)->containerLink(), std::string("..\\data\\shop.dbc"));

    // Junk after the records: no reading fits the file, so nothing shifted is delivered.
    WriteFile(path, withBackLink + "junk");
    QCOMPARE(ErrorOf(path), std::optional(TableErrorCode::NotATable));
}

void DbfTableTest::characterFieldsWiderThan255() {
    DbfWriter writer(0x03);
    writer.addField("LONG", 'C', 300).addField("N", 'N', 2);
    writer.addRecord({std::string(299, 'a') + "z", " 9"});
    const auto path = PathIn(dir_, "wide.dbf");
    writer.write(path);
    const auto records = ReadAllRecords(path);
    QCOMPARE(records.at(0).at(0).text, std::string(299, 'a') + "z");
    QCOMPARE(records.at(0).at(1).text, std::string("9"));

    // A decimal count on a narrow character field is only a decimal count when the
    // widths already add up.
    DbfWriter narrow(0x03);
    narrow.addField("CODE", 'C', 4, 1).addField("N", 'N', 2).addRecord({"abcd", "12"});
    narrow.write(path);
    QCOMPARE(ReadAllRecords(path).at(0).at(0).text, std::string("abcd"));
}

void DbfTableTest::dBase2Layout() {
    DbfWriter writer(0x02);
    writer.addField("NAME", 'C', 4).addField("NUM", 'N', 3);
    writer.addRecord({"ab", "  5"}).addRecord({"cd", " 12"});
    const auto path = PathIn(dir_, "base2.dbf");
    writer.write(path);
    const auto records = ReadAllRecords(path);
    QCOMPARE(Column(records, 0), (std::vector<std::string>{"ab  ", "cd  "}));
    QCOMPARE(Column(records, 1), (std::vector<std::string>{"5", "12"}));
}

void DbfTableTest::dBase7Layout() {
    DbfWriter writer(0x04);
    writer.addField("A field with a long name", 'C', 3).addField("Count", 'I', 4);
    writer.addRecord({"abc", Big32(0x8000'0010u)});
    const auto path = PathIn(dir_, "base7.dbf");
    writer.write(path);
    const auto records = ReadAllRecords(path);
    QCOMPARE(records.size(), 1u);
    QCOMPARE(records[0][0].text, std::string("abc"));
    QCOMPARE(records[0][1], (OwnedValue{ValueType::Number, "16"}));
}

void DbfTableTest::streamsAcrossChunkBorders() {
    // 37-byte records do not divide a megabyte: a record that straddled a chunk
    // border would come out shifted.
    DbfWriter writer(0x03);
    writer.addField("ID", 'N', 8).addField("PAD", 'C', 28);
    constexpr int kRecords = 60'000;
    for (int i = 0; i < kRecords; ++i)
        writer.addRecord({std::to_string(i), "x"}, i % 1000 == 999);
    const auto path = PathIn(dir_, "large.dbf");
    writer.write(path);

    auto table = OpenTable(path);
    int expected = 0;
    int delivered = 0;
    while (table->next()) {
        if (expected % 1000 == 999)
            ++expected;
        QCOMPARE(table->values()[0].text, std::string_view(std::to_string(expected)));
        ++expected;
        ++delivered;
    }
    QCOMPARE(delivered, kRecords - kRecords / 1000);
}

QTEST_GUILESS_MAIN(DbfTableTest)
#include "DbfTableTest.moc"
