// Memo files: the dBase III, dBase IV and FoxPro formats, found beside the table in
// any letter case, and every way a memo pointer or length can be broken.
#include "DbfTestSupport.h"
#include "engine/Conversion.h"
#include "engine/dbf/DbfTable.h"
#include "samples/DbfWriter.h"

using namespace tabrivel;
using namespace tabrivel::testing;

Q_DECLARE_METATYPE(tabrivel::MemoFormat)

class DbfMemoTest : public QObject {
    Q_OBJECT

private slots:
    void readsMemoText_data();
    void readsMemoText();
    void binaryMemosKeepTheirBytes();
    void memoFileFoundInAnyCase();
    void hiPerSixMemos();
    void dBase3MemoCutShortKeepsItsText();
    void brokenMemoLosesOnlyItsValues_data();
    void brokenMemoLosesOnlyItsValues();
    void blankPointersNeedNoMemoFile();
    void sparseMemoFileClaimIsALoss();
    void unterminatedMemoEndsWhereStoredDataEnds();
    void outOfMemoryStopsTheTableWithItsRecord();
    void sharedUnterminatedMemoIsReadOnce();
    void longMemosReachTheirStatementWhole();

private:
    QTemporaryDir dir_;
};

void DbfMemoTest::readsMemoText_data() {
    QTest::addColumn<int>("version");
    QTest::addColumn<MemoFormat>("format");
    QTest::addColumn<int>("blockSize");
    QTest::addColumn<int>("pointerWidth");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QByteArray>("memo");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray text("first line\r\nsecond line");
    QTest::addRow("dBase III") << 0x83 << MemoFormat::DBase3 << 512 << 10 << ".dbt" << text << text;
    QTest::addRow("dBase III text ends at 0x1A")
        << 0x83 << MemoFormat::DBase3 << 512 << 10 << ".dbt"
        << QByteArray("kept\x1A"
                      "cut")
        << QByteArray("kept");
    QTest::addRow("dBase III memo longer than a block")
        << 0x83 << MemoFormat::DBase3 << 512 << 10 << ".dbt" << QByteArray(1300, 'm')
        << QByteArray(1300, 'm');
    QTest::addRow("dBase IV keeps 0x1A inside its length")
        << 0x8B << MemoFormat::DBase4 << 512 << 10 << ".dbt"
        << QByteArray("a\x1A\x1F"
                      "b")
        << QByteArray("a\x1A\x1F"
                      "b");
    QTest::addRow("dBase IV 64-byte blocks") << 0x8B << MemoFormat::DBase4 << 64 << 10 << ".dbt"
                                             << QByteArray(200, 'q') << QByteArray(200, 'q');
    QTest::addRow("dBase 7") << 0x8C << MemoFormat::DBase4 << 1024 << 10 << ".dbt" << text << text;
    QTest::addRow("FoxPro 2") << 0xF5 << MemoFormat::FoxPro << 64 << 10 << ".fpt" << text << text;
    QTest::addRow("FoxBase") << 0xFB << MemoFormat::FoxPro << 512 << 10 << ".fpt" << text << text;
    QTest::addRow("Visual FoxPro four-byte pointers")
        << 0x30 << MemoFormat::FoxPro << 64 << 4 << ".fpt" << text << text;
    QTest::addRow("FoxPro one-byte blocks")
        << 0x30 << MemoFormat::FoxPro << 1 << 4 << ".fpt" << text << text;
    QTest::addRow("FoxPro empty memo")
        << 0x30 << MemoFormat::FoxPro << 64 << 4 << ".fpt" << QByteArray("") << QByteArray("");
}

void DbfMemoTest::readsMemoText() {
    QFETCH(int, version);
    QFETCH(MemoFormat, format);
    QFETCH(int, blockSize);
    QFETCH(int, pointerWidth);
    QFETCH(QString, extension);
    QFETCH(QByteArray, memo);
    QFETCH(QByteArray, expected);

    DbfWriter writer(static_cast<std::uint8_t>(version));
    writer.setMemoFormat(format, static_cast<std::uint32_t>(blockSize));
    writer.addField("NAME", 'C', 3).addField("NOTES", 'M', pointerWidth);
    const auto first = writer.addMemo(FromQt(memo));
    const auto second = writer.addMemo("second");
    writer.addRecord({"one", MemoPointer(first, pointerWidth)});
    writer.addRecord({"two", MemoPointer(second, pointerWidth)});
    writer.addRecord({"non", pointerWidth == 4 ? Little32(0) : ""});
    writer.addRecord({"spc", std::string(static_cast<std::size_t>(pointerWidth), ' ')});
    const auto path = PathIn(dir_, "memo.dbf");
    writer.write(path, extension.toStdString());

    const auto records = ReadAllRecords(path);
    QCOMPARE(records.size(), 4u);
    QCOMPARE(ToQt(records[0][1].text), expected);
    QCOMPARE(records[1][1], (OwnedValue{ValueType::Text, "second"}));
    QCOMPARE(records[2][1], (OwnedValue{ValueType::Text, ""}));
    QCOMPARE(records[3][1], (OwnedValue{ValueType::Text, ""}));
}

void DbfMemoTest::binaryMemosKeepTheirBytes() {
    DbfWriter writer(0x30);
    writer.setMemoFormat(MemoFormat::FoxPro, 64);
    writer.addField("PICTURE", 'P', 4).addField("OLE", 'G', 4).addField("RAW", 'M', 4, 0, 0x04);
    const std::string bytes("\x00\x1A\xFF\x0D", 4);
    writer.addRecord({MemoPointer(writer.addMemo(bytes, 0), 4),
                      MemoPointer(writer.addMemo(bytes, 2), 4),
                      MemoPointer(writer.addMemo(bytes), 4)});
    const auto path = PathIn(dir_, "pictures.dbf");
    writer.write(path, ".fpt");

    const auto records = ReadAllRecords(path);
    for (const auto& value : records.at(0))
        QCOMPARE(value, (OwnedValue{ValueType::Binary, bytes}));
}

void DbfMemoTest::memoFileFoundInAnyCase() {
    for (const char* memoName : {"CUSTOMERS.FPT", "Customers.Fpt", "customers.fpt"}) {
        QTemporaryDir dir;
        DbfWriter writer(0xF5);
        writer.setMemoFormat(MemoFormat::FoxPro, 64);
        writer.addField("NOTES", 'M', 10);
        writer.addRecord({MemoPointer(writer.addMemo("found"), 10)});
        const auto path = PathIn(dir, "customers.dbf");
        writer.write(path);
        WriteFile(PathIn(dir, memoName), writer.memoBytes());
        QCOMPARE(Column(ReadAllRecords(path), 0), (std::vector<std::string>{"found"}));
    }
}

void DbfMemoTest::hiPerSixMemos() {
    DbfWriter writer(0xE5);
    writer.setMemoFormat(MemoFormat::HiPerSix, 32);
    writer.addField("NOTES", 'M', 10);
    const std::string text = "a memo over two blocks, longer than thirty-two bytes";
    writer.addRecord(
        {HiPerSixPointer(writer.addMemo(text), static_cast<std::uint32_t>(text.size()))});
    writer.addRecord({""});
    writer.addRecord({HiPerSixPointer(9999, 4)});
    const auto path = PathIn(dir_, "six.dbf");
    writer.write(path, ".SMT");

    auto table = OpenTable(path);
    QVERIFY(table->next());
    QCOMPARE(table->values()[0].text, std::string_view(text));
    QVERIFY(table->next());
    QCOMPARE(table->values()[0].text, std::string_view());
    QVERIFY(table->warnings().empty());
    QVERIFY(table->next()); // a memo block past the end of the memo file
    QCOMPARE(table->values()[0].type, ValueType::Null);
    QCOMPARE(table->warnings().size(), 1u);
    QCOMPARE(table->warnings()[0].code, TableErrorCode::MemoOutOfRange);

    // Without its memo file the binary pointers still read as pointers: two memos lost.
    std::filesystem::remove(PathIn(dir_, "six.SMT"));
    const auto reading = ReadTable(path);
    QCOMPARE(reading.records.size(), 3u);
    QCOMPARE(reading.records[0][0].type, ValueType::Null);
    QCOMPARE(reading.records[1][0], (OwnedValue{ValueType::Text, ""}));
    QCOMPARE(reading.warnings.size(), 1u);
    QCOMPARE(reading.warnings[0].code, TableErrorCode::MissingMemo);
    QCOMPARE(reading.warnings[0].count, 2u);
}

void DbfMemoTest::dBase3MemoCutShortKeepsItsText() {
    DbfWriter writer(0x83);
    writer.addField("NAME", 'C', 3).addField("NOTES", 'M', 10);
    const std::string last(510, 'z'); // with its two terminators, fills its block
    writer.addRecord({"one", MemoPointer(writer.addMemo("whole"), 10)});
    writer.addRecord({"two", MemoPointer(writer.addMemo(last), 10)});
    const auto path = PathIn(dir_, "cutmemo.dbf");
    writer.write(path);
    const auto memo = writer.memoBytes();
    // Eight bytes off the end take the terminators and six bytes of text; two take
    // only the terminators, and then nothing tells whether more text followed.
    for (const std::size_t cut : {8u, 2u}) {
        WriteFile(PathIn(dir_, "cutmemo.dbt"), memo.substr(0, memo.size() - cut));
        const auto kept = std::min(last.size(), memo.size() - cut - 1024);
        const auto reading = ReadTable(path);
        QCOMPARE(reading.error, std::string());
        QCOMPARE(Column(reading.records, 1),
                 (std::vector<std::string>{"whole", last.substr(0, kept)}));
        QCOMPARE(reading.warnings.size(), 1u);
        QCOMPARE(reading.warnings[0].code, TableErrorCode::TruncatedMemo);
        QCOMPARE(reading.warnings[0].file, std::string("cutmemo.dbt"));
        QCOMPARE(reading.warnings[0].count, 1u);
        QCOMPARE(reading.warnings[0].firstRecord, 2u);
    }
}

namespace {

struct BrokenMemo {
    std::string table;
    std::optional<std::string> memo; // none: no memo file
};

// Three records: a blank memo pointer, then two pointers at the memo under test (the
// one written, or `pointer` when given). The names around the memo must survive.
BrokenMemo MemoTable(std::uint8_t version, MemoFormat format, std::uint32_t blockSize,
                     int pointerWidth, std::uint32_t pointer) {
    DbfWriter writer(version);
    writer.setMemoFormat(format, blockSize);
    writer.addField("NOTES", 'M', pointerWidth).addField("NAME", 'C', 3);
    const auto block = writer.addMemo("some text");
    const auto target = MemoPointer(pointer == 0 ? block : pointer, pointerWidth);
    writer.addRecord({pointerWidth == 4 ? Little32(0) : "", "one"});
    writer.addRecord({target, "two"}).addRecord({target, "six"});
    return {writer.tableBytes(), writer.memoBytes()};
}

std::string Patched(std::string bytes, std::size_t at, const std::string& with) {
    bytes.replace(at, with.size(), with);
    return bytes;
}

void AddBrokenRow(const char* name, const BrokenMemo& files, const char* extension,
                  TableErrorCode code) {
    QTest::addRow("%s", name) << ToQt(files.table)
                              << (files.memo ? ToQt(*files.memo) : QByteArray()) << extension
                              << code;
}

} // namespace

void DbfMemoTest::brokenMemoLosesOnlyItsValues_data() {
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QByteArray>("memo"); // a null array: no memo file
    QTest::addColumn<QString>("extension");
    QTest::addColumn<TableErrorCode>("code");

    const auto fox = MemoTable(0x30, MemoFormat::FoxPro, 64, 4, 0);
    AddBrokenRow("memo file missing", {fox.table, {}}, ".fpt", TableErrorCode::MissingMemo);
    AddBrokenRow("memo file of another table's kind", fox, ".txt", TableErrorCode::MissingMemo);
    AddBrokenRow("dBase III block past the end", MemoTable(0x83, MemoFormat::DBase3, 512, 10, 99),
                 ".dbt", TableErrorCode::MemoOutOfRange);
    AddBrokenRow("FoxPro block past the end", MemoTable(0x30, MemoFormat::FoxPro, 64, 4, 1000),
                 ".fpt", TableErrorCode::MemoOutOfRange);
    AddBrokenRow("block number that overflows",
                 MemoTable(0x30, MemoFormat::FoxPro, 64, 4, 0xFFFF'FFFFu), ".fpt",
                 TableErrorCode::MemoOutOfRange);
    AddBrokenRow("FoxPro length larger than the file",
                 {fox.table, Patched(*fox.memo, 512 + 4, Big32(0x7FFF'FFFFu))}, ".fpt",
                 TableErrorCode::MemoOutOfRange);
    const auto base4 = MemoTable(0x8B, MemoFormat::DBase4, 512, 10, 0);
    AddBrokenRow("dBase IV length larger than the file",
                 {base4.table, Patched(*base4.memo, 512 + 4, Little32(0xFFFF'FFF0u))}, ".dbt",
                 TableErrorCode::MemoOutOfRange);
    AddBrokenRow("FoxPro block size zero", {fox.table, Patched(*fox.memo, 6, Big16(0))}, ".fpt",
                 TableErrorCode::BadMemoFile);
    AddBrokenRow("memo file shorter than its header", {fox.table, fox.memo->substr(0, 10)}, ".fpt",
                 TableErrorCode::BadMemoFile);
}

void DbfMemoTest::brokenMemoLosesOnlyItsValues() {
    QFETCH(QByteArray, table);
    QFETCH(QByteArray, memo);
    QFETCH(QString, extension);
    QFETCH(TableErrorCode, code);

    QTemporaryDir dir;
    const auto path = PathIn(dir, "broken.dbf");
    WriteFile(path, FromQt(table));
    if (!memo.isNull())
        WriteFile(PathIn(dir, ("broken" + extension.toStdString()).c_str()), FromQt(memo));
    const auto reading = ReadTable(path);
    QCOMPARE(reading.error, std::string());
    QCOMPARE(Column(reading.records, 1), (std::vector<std::string>{"one", "two", "six"}));
    QCOMPARE(reading.records[0][0], (OwnedValue{ValueType::Text, ""}));
    QCOMPARE(reading.records[1][0].type, ValueType::Null);
    QCOMPARE(reading.records[2][0].type, ValueType::Null);
    QCOMPARE(reading.warnings.size(), 1u);
    QCOMPARE(reading.warnings[0].code, code);
    QCOMPARE(reading.warnings[0].count, 2u);
    QCOMPARE(reading.warnings[0].firstRecord, 2u);
}

// A dBase 7 table whose every memo pointer is blank asks nothing of a memo file.
void DbfMemoTest::blankPointersNeedNoMemoFile() {
    DbfWriter writer(0x8C);
    writer.addField("NOTES", 'M', 10).addField("NAME", 'C', 3);
    writer.addRecord({"", "one"}).addRecord({"0", "two"});
    const auto path = PathIn(dir_, "nomemo.dbf");
    writer.write(path);
    const auto reading = ReadTable(path);
    QCOMPARE(reading.error, std::string());
    QCOMPARE(Column(reading.records, 1), (std::vector<std::string>{"one", "two"}));
    QVERIFY(reading.warnings.empty());
}

// A sparse memo file is gigabytes long on paper and a few kilobytes on disk: a length
// that the file's size allows but its stored bytes do not is a loss, not a read of a hole.
void DbfMemoTest::sparseMemoFileClaimIsALoss() {
    constexpr std::uint32_t kBlockSize = 64;
    DbfWriter writer(0x30);
    writer.setMemoFormat(MemoFormat::FoxPro, kBlockSize);
    writer.addField("NOTES", 'M', 4).addField("NAME", 'C', 3);
    const auto huge = writer.addMemo("claims far more");
    writer.addRecord({MemoPointer(huge, 4), "one"});
    writer.addRecord({MemoPointer(writer.addMemo("kept"), 4), "two"});
    writer.addRecord({MemoPointer(huge, 4), "six"});
    QTemporaryDir dir;
    const auto path = PathIn(dir, "bigmemo.dbf");
    writer.write(path, ".fpt");
    const auto memoPath = PathIn(dir, "bigmemo.fpt");
    WriteFile(memoPath, Patched(writer.memoBytes(), huge * kBlockSize + 4, Big32(2'900'000'000u)));
    std::filesystem::resize_file(memoPath, 3'000'000'000u);

    const auto reading = ReadTable(path);
    QCOMPARE(reading.error, std::string());
    QCOMPARE(Column(reading.records, 1), (std::vector<std::string>{"one", "two", "six"}));
    QCOMPARE(reading.records[0][0].type, ValueType::Null);
    QCOMPARE(reading.records[1][0], (OwnedValue{ValueType::Text, "kept"}));
    QCOMPARE(reading.records[2][0].type, ValueType::Null);
    QCOMPARE(reading.warnings.size(), 1u);
    QCOMPARE(reading.warnings[0].code, TableErrorCode::MemoOutOfRange);
    QCOMPARE(reading.warnings[0].count, 2u);
    QCOMPARE(reading.warnings[0].firstRecord, 1u);
    QVERIFY2(reading.warnings[0].message().find("not stored") != std::string::npos,
             reading.warnings[0].message().c_str());
}

// A dBase III memo has no length: without its terminator it would run through gigabytes
// of hole in a sparse memo file.
void DbfMemoTest::unterminatedMemoEndsWhereStoredDataEnds() {
    DbfWriter writer(0x83);
    writer.addField("NOTES", 'M', 10);
    const std::string text(700, 't');
    const auto block = writer.addMemo(text);
    writer.addRecord({MemoPointer(block, 10)});
    QTemporaryDir dir;
    const auto path = PathIn(dir, "holes.dbf");
    writer.write(path);
    const auto memoPath = PathIn(dir, "holes.dbt");
    WriteFile(memoPath, writer.memoBytes().substr(0, block * 512 + text.size()));
    std::filesystem::resize_file(memoPath, 3'000'000'000u);

    const auto reading = ReadTable(path);
    QCOMPARE(reading.error, std::string());
    QCOMPARE(reading.records.size(), 1u);
    // The file system stores whole blocks: what follows the text up to the hole is zeros,
    // which never reach a value's statement but may sit in its text.
    const auto& value = reading.records[0][0].text;
    QVERIFY(value.size() < 1024 * 1024);
    QCOMPARE(value.substr(0, text.size()), text);
    QVERIFY(value.find_first_not_of('\0', text.size()) == std::string::npos);
    QCOMPARE(reading.warnings.size(), 1u);
    QCOMPARE(reading.warnings[0].code, TableErrorCode::TruncatedMemo);
}

namespace {

// The memo file of a table, except that one block needs more memory than there is.
class StarvedMemoFile final : public dbf::MemoFile {
public:
    StarvedMemoFile(std::unique_ptr<dbf::MemoFile> real, std::uint64_t starvedBlock)
        : real_(std::move(real)), starvedBlock_(starvedBlock) {}
    Extent locate(const Ref& ref) override {
        if (ref.block == starvedBlock_)
            throw std::bad_alloc();
        return real_->locate(ref);
    }
    void readPart(const Extent& extent, std::uint64_t from, char* into,
                  std::size_t count) override {
        real_->readPart(extent, from, into, count);
    }
    std::string name() const override { return real_->name(); }

private:
    std::unique_ptr<dbf::MemoFile> real_;
    std::uint64_t starvedBlock_;
};

} // namespace

void DbfMemoTest::outOfMemoryStopsTheTableWithItsRecord() {
    DbfWriter writer(0x30);
    writer.setMemoFormat(MemoFormat::FoxPro, 64);
    writer.addField("NOTES", 'M', 4);
    writer.addRecord({MemoPointer(writer.addMemo("fits"), 4)});
    writer.addRecord({Little32(0)}, true); // deleted: still counts as a record of the file
    const auto starved = writer.addMemo("too much");
    writer.addRecord({MemoPointer(starved, 4)});
    const auto path = PathIn(dir_, "oom.dbf");
    writer.write(path, ".fpt");

    dbf::DbfTable table(path, {}, [starved](const auto& file, const auto& layout) {
        return std::make_unique<StarvedMemoFile>(dbf::OpenMemoFile(file, layout), starved);
    });
    QVERIFY(table.next());
    QCOMPARE(table.values()[0].text, std::string_view("fits"));
    try {
        table.next();
        QFAIL("the starved record was delivered");
    } catch (const TableError& error) {
        QCOMPARE(error.code(), TableErrorCode::OutOfMemory);
        QCOMPARE(std::string(error.what()),
                 std::string("out of memory while reading record 3 of oom.dbf"));
    }
}

namespace {

// Bytes this process has read through system calls so far, or none where the system
// does not say.
std::optional<std::uint64_t> BytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return std::nullopt;
}

} // namespace

void DbfMemoTest::sharedUnterminatedMemoIsReadOnce() {
    constexpr std::uint64_t kRecords = 300;
    DbfWriter writer(0x83);
    writer.addField("NOTES", 'M', 10);
    const std::string text(600 * 1024, 'u'); // beyond the reader's read-ahead window
    const auto block = writer.addMemo(text);
    for (std::uint64_t i = 0; i < kRecords; ++i)
        writer.addRecord({MemoPointer(block, 10)});
    const auto path = PathIn(dir_, "shared.dbf");
    writer.write(path);
    const std::string memo = writer.memoBytes().substr(0, block * 512 + text.size());
    WriteFile(PathIn(dir_, "shared.dbt"), memo);

    const auto before = BytesReadSoFar();
    if (!before)
        QSKIP("this system does not count the bytes a process reads");
    auto table = OpenTable(path);
    std::uint64_t whole = 0;
    while (table->next())
        whole += table->values()[0].text == text;
    const auto read = *BytesReadSoFar() - *before;
    QCOMPARE(whole, kRecords);
    QCOMPARE(table->warnings().size(), 1u);
    QCOMPARE(table->warnings()[0].code, TableErrorCode::TruncatedMemo);
    QCOMPARE(table->warnings()[0].count, kRecords);
    QCOMPARE(table->warnings()[0].firstRecord, 1u);
    // Once to choose the decoding, once to deliver: never once per record.
    QVERIFY2(read < 3 * memo.size(), std::to_string(read).c_str());
}

// Memos longer than the reader's window are decoded piece by piece into their statement:
// a double-byte character split between two pieces, apostrophes and binary bytes must
// come out exactly as if the memo had been decoded whole.
void DbfMemoTest::longMemosReachTheirStatementWhole() {
    std::string stored, text, escaped; // GBK bytes, their UTF-8, as the statement has it
    while (stored.size() < 2'500'000) {
        stored += "\xD6\xD0'"; // the pieces' first boundary falls inside the character
        text += "\xE4\xB8\xAD'";
        escaped += "\xE4\xB8\xAD''";
    }
    std::string binary(1'500'000, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>(i * 7);
    DbfWriter writer(0x30);
    writer.setMemoFormat(MemoFormat::FoxPro, 64);
    writer.addField("NOTES", 'M', 4).addField("PICTURE", 'P', 4);
    writer.addRecord(
        {MemoPointer(writer.addMemo(stored), 4), MemoPointer(writer.addMemo(binary, 0), 4)});
    writer.addRecord({MemoPointer(writer.addMemo("short'"), 4), Little32(0)});
    const auto path = PathIn(dir_, "long.dbf");
    writer.write(path, ".fpt");

    ConversionOptions options;
    options.createTable = false;
    options.open.encoding = "GBK";
    std::vector<std::string> statements;
    const auto warnings =
        ConvertTable(path, "long", options, ValueFormat(),
                     [&](std::string_view statement) { statements.emplace_back(statement); });
    QVERIFY(warnings.empty());
    QCOMPARE(statements.size(), 2u);
    QVERIFY(statements[0] == "INSERT INTO 'Table1_long' VALUES ('" + escaped + "','" +
                                 FromQt(ToQt(binary).toHex().toUpper()) + "');");
    QCOMPARE(statements[1], std::string("INSERT INTO 'Table1_long' VALUES ('short''','');"));

    const auto records = ReadAllRecords(path, options.open);
    QVERIFY(records[0][0] == (OwnedValue{ValueType::Text, text}));
    QVERIFY(records[0][1] == (OwnedValue{ValueType::Binary, binary}));
}

QTEST_GUILESS_MAIN(DbfMemoTest)
#include "DbfMemoTest.moc"
