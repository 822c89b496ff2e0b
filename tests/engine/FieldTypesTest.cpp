// The field types table: every row, in every family it covers, decodes a stored value
// into the type of value its column kind promises, or refuses the table where it says so.
#include "engine/dbf/FieldTypes.h"
#include "DbfTestSupport.h"
#include "samples/DbfWriter.h"

#include <bit>
#include <span>

using namespace tabrivel;
using namespace tabrivel::dbf;
using namespace tabrivel::testing;

namespace {

struct FamilyCase {
    TableFamily family;
    std::uint8_t version;
    const char* name;
};

constexpr FamilyCase kFamilies[] = {
    {TableFamily::DBase2, 0x02, "dBase II"},    {TableFamily::DBase3, 0x03, "dBase III"},
    {TableFamily::DBase4, 0x43, "dBase IV"},    {TableFamily::DBase7, 0x04, "dBase 7"},
    {TableFamily::FoxBase, 0xF5, "FoxPro 2"},   {TableFamily::VisualFoxPro, 0x30, "Visual FoxPro"},
    {TableFamily::HiPerSix, 0xE5, "HiPer-Six"},
};

std::string Base7Double(double value) {
    std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    bits = value >= 0 ? bits ^ 0x8000'0000'0000'0000u : ~bits;
    return Big32(static_cast<std::uint32_t>(bits >> 32)) + Big32(static_cast<std::uint32_t>(bits));
}

// A stored value each decoding reads as a real value of its kind, at `width` bytes.
std::string SampleBytes(FieldDecoding decoding, int width) {
    switch (decoding) {
    case FieldDecoding::Empty:
    case FieldDecoding::Refused:
    case FieldDecoding::TextMemo:
    case FieldDecoding::BinaryMemo:
        return {};
    case FieldDecoding::Text:
    case FieldDecoding::TrimmedText:
        return "ab";
    case FieldDecoding::WideText:
        return std::string("a\0b\0", 4);
    case FieldDecoding::Binary:
        return "\x01\x02";
    case FieldDecoding::Numeric:
        return "12.5";
    case FieldDecoding::Integer:
        return Little64(7).substr(0, static_cast<std::size_t>(width));
    case FieldDecoding::IntegerBase7:
        return Big32(0x8000'0005u);
    case FieldDecoding::Double:
        return LittleDouble(2.5);
    case FieldDecoding::DoubleBase7:
        return Base7Double(2.5);
    case FieldDecoding::Currency:
        return Little64(12'345);
    case FieldDecoding::Date:
        return "20240229";
    case FieldDecoding::DateTime:
        return Little32(2'451'545) + Little32(0);
    case FieldDecoding::Timestamp:
        return "\x42\xCB\x40\x62\xAA\x88\x00\x00";
    case FieldDecoding::Logical:
        return "T";
    }
    return {};
}

FieldInfo FieldOf(const FieldTypeRow& row, std::uint32_t width) {
    FieldInfo field;
    field.type = static_cast<FieldType>(row.letter == '\0' ? 'X' : row.letter);
    field.length = width;
    field.flags = row.binaryFlag ? kFieldBinary : 0;
    return field;
}

// The first width at which the row, not an earlier one, describes its field; -1 for none.
// Memo pointers are tried at the width of a decimal pointer first.
int WidthReaching(const FieldTypeRow& row, TableFamily family) {
    // Arrays of their own: an initializer list chosen by ?: would end with its expression.
    static constexpr int kMemoWidths[] = {10, 4, 8, 6, 2, 9, 1};
    static constexpr int kOtherWidths[] = {8, 4, 10, 6, 2, 9, 1, 0, 12};
    const std::span<const int> widths =
        row.isMemo() ? std::span<const int>(kMemoWidths) : std::span<const int>(kOtherWidths);
    for (const int width : widths)
        if (&FieldTypeOf(FieldOf(row, static_cast<std::uint32_t>(width)), family) == &row)
            return width;
    return -1;
}

std::string MemoPointerFor(TableFamily family, std::uint32_t block, int width) {
    if (family == TableFamily::HiPerSix && width == 10)
        return HiPerSixPointer(block, 9);
    return MemoPointer(block, width);
}

} // namespace

class FieldTypesTest : public QObject {
    Q_OBJECT

private slots:
    void everyRowDecodesToItsColumnsType_data();
    void everyRowDecodesToItsColumnsType();
    void everyFieldHasOneRow();
    void binaryFlaggedTextArrivesAsBytes();

private:
    QTemporaryDir dir_;
};

void FieldTypesTest::everyRowDecodesToItsColumnsType_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("family");
    const auto rows = FieldTypeRows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (std::size_t f = 0; f < std::size(kFamilies); ++f) {
            const FieldTypeRow& row = rows[i];
            // Only Visual FoxPro stores field flags; an earlier row may take every width.
            if ((row.families & FamilyBit(kFamilies[f].family)) == 0 ||
                (row.binaryFlag && kFamilies[f].family != TableFamily::VisualFoxPro) ||
                WidthReaching(row, kFamilies[f].family) < 0)
                continue;
            QTest::addRow("%c row %zu in %s", row.letter == '\0' ? '*' : row.letter, i,
                          kFamilies[f].name)
                << static_cast<int>(i) << static_cast<int>(f);
        }
}

void FieldTypesTest::everyRowDecodesToItsColumnsType() {
    QFETCH(int, row);
    QFETCH(int, family);
    const FieldTypeRow& type = FieldTypeRows()[static_cast<std::size_t>(row)];
    const FamilyCase& table = kFamilies[family];
    const int width = WidthReaching(type, table.family);

    DbfWriter writer(table.version);
    const bool hiPerSix = table.family == TableFamily::HiPerSix;
    writer.setMemoFormat(hiPerSix ? MemoFormat::HiPerSix : MemoFormat::FoxPro, 64);
    writer.addField("VALUE", type.letter == '\0' ? 'X' : type.letter, width, 0,
                    type.binaryFlag ? kFieldBinary : 0);
    std::string bytes = SampleBytes(type.decoding, width);
    if (type.isMemo())
        bytes = MemoPointerFor(table.family, writer.addMemo("memo text"), width);
    writer.addRecord({bytes});
    const auto path = PathIn(dir_, "row.dbf");
    writer.write(path, hiPerSix ? ".smt" : ".fpt");

    if (type.decoding == FieldDecoding::Refused) {
        QCOMPARE(ErrorOf(path), std::optional(TableErrorCode::BadFieldDescriptor));
        return;
    }
    const auto source = OpenTable(path);
    QCOMPARE(source->fields()[0].kind, type.kind);
    QVERIFY(source->next());
    const Value value = source->values()[0];
    const ValueType expected =
        type.decoding == FieldDecoding::Empty ? ValueType::Null : ColumnValueType(type.kind);
    QCOMPARE(ValueTypeName(value.type), ValueTypeName(expected));
    // A HiPer-Six memo's length stands in its ten-byte pointer; a four-byte one has none.
    const bool lengthKnown = !type.isMemo() || table.family != TableFamily::HiPerSix || width == 10;
    if (expected != ValueType::Null && lengthKnown)
        QVERIFY(!value.text.empty());
}

void FieldTypesTest::everyFieldHasOneRow() {
    // Every letter at every width finds a row, and the catch-all stands last: a row
    // after it could never be reached.
    const auto rows = FieldTypeRows();
    QCOMPARE(rows.back().letter, '\0');
    QCOMPARE(rows.back().width, WidthRule::Any);
    for (int letter = 1; letter < 256; ++letter)
        for (const auto& family : kFamilies)
            for (std::uint32_t width : {0u, 1u, 4u, 8u, 10u, 254u}) {
                FieldInfo field;
                field.type = static_cast<FieldType>(letter);
                field.length = width;
                const FieldTypeRow& row = FieldTypeOf(field, family.family);
                QVERIFY(RowMatches(row, field, family.family));
                if (width == 0)
                    QCOMPARE(row.decoding, FieldDecoding::Empty);
            }
}

void FieldTypesTest::binaryFlaggedTextArrivesAsBytes() {
    DbfWriter writer(0x30, 0x03);
    writer.setMemoFormat(MemoFormat::FoxPro, 64);
    writer.addField("RAW", 'C', 4, 0, kFieldBinary).addField("TEXT", 'C', 4);
    writer.addField("RAWMEMO", 'M', 4, 0, kFieldBinary).addField("VRAW", 'V', 4, 0, kFieldBinary);
    const std::string bytes("\xE9\0\x01z", 4);
    writer.addRecord({bytes, bytes, Little32(writer.addMemo(bytes)), bytes});
    const auto path = PathIn(dir_, "nocptrans.dbf");
    writer.write(path, ".fpt");

    const auto reading = ReadTable(path);
    QCOMPARE(reading.error, std::string());
    const auto& record = reading.records.at(0);
    for (const std::size_t binary : {0u, 2u, 3u}) {
        QCOMPARE(ValueTypeName(record[binary].type), ValueTypeName(ValueType::Binary));
        QCOMPARE(ToQt(record[binary].text), ToQt(bytes)); // no NUL cut, no code page
    }
    // The same bytes without the flag are code-page text, cut at the NUL, and said so.
    QCOMPARE(ValueTypeName(record[1].type), ValueTypeName(ValueType::Text));
    QCOMPARE(ToQt(record[1].text), QByteArray("\xC3\xA9"));
    QCOMPARE(reading.warnings.size(), 1u);
    QCOMPARE(reading.warnings[0].code, TableErrorCode::UncarriedText);
}

QTEST_GUILESS_MAIN(FieldTypesTest)
#include "FieldTypesTest.moc"
