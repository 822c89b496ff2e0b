// Field decoding: every type with its blank, zero, overflow and invalid forms,
// read back through OpenTable from one-field tables built in the test.
#include "TableReading.h"
#include "samples/DbfWriter.h"

#include <QTemporaryDir>
#include <QtTest>

#include <bit>
#include <cmath>
#include <limits>

using namespace tabrivel;
using namespace tabrivel::testing;

Q_DECLARE_METATYPE(tabrivel::ValueType)

namespace {

std::string Raw(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QByteArray Bytes(const std::string& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// dBase 7 sorts numbers as bytes: big-endian, sign bit flipped for positives, every
// bit flipped for negatives.
QByteArray Base7Double(double value) {
    std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    bits = value >= 0 ? bits ^ 0x8000'0000'0000'0000u : ~bits;
    std::string out;
    for (int shift = 56; shift >= 0; shift -= 8)
        out += static_cast<char>((bits >> shift) & 0xFF);
    return Bytes(out);
}

QByteArray Base7Integer(std::int32_t value) {
    return Bytes(Big32(static_cast<std::uint32_t>(value) ^ 0x8000'0000u));
}

QByteArray DateTime(std::uint32_t julianDay, std::uint32_t milliseconds) {
    return Bytes(Little32(julianDay) + Little32(milliseconds));
}

} // namespace

class DbfFieldTest : public QObject {
    Q_OBJECT

private slots:
    void decodesField_data();
    void decodesField();

private:
    QTemporaryDir dir_;
};

void DbfFieldTest::decodesField_data() {
    QTest::addColumn<int>("version");
    QTest::addColumn<char>("type");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<ValueType>("expectedType");
    QTest::addColumn<QByteArray>("expected");

    const auto row = [](const char* name, int version, char type, int length, QByteArray raw,
                        ValueType expectedType, QByteArray expected) {
        QTest::addRow("%s", name) << version << type << length << raw << expectedType << expected;
    };
    const auto N = ValueType::Number;
    const auto T = ValueType::Text;
    const auto Null = ValueType::Null;

    row("character keeps its padding", 0x03, 'C', 6, "ab", T, "ab    ");
    row("character of blanks stays text", 0x03, 'C', 3, "", T, "   ");
    row("character keeps line breaks", 0x03, 'C', 5, "a\r\nb", T, "a\r\nb ");
    row("character ends at its first NUL", 0x03, 'C', 8, QByteArray("abc\0old", 7), T, "abc");
    row("character beginning with NUL is empty", 0x03, 'C', 4, QByteArray("\0abc", 4), T, "");
    row("character keeps other control characters", 0x03, 'C', 4, "a\tb\x01", T, "a\tb\x01");
    row("character longer than eight bytes whole", 0x03, 'C', 11, "abcdefghijk", T, "abcdefghijk");
    row("character with a NUL in its ninth byte", 0x03, 'C', 9, QByteArray("abcdefgh\0", 9), T,
        "abcdefgh");
    row("character with an upper byte ends at its NUL", 0x03, 'C', 6, QByteArray("\xE9t\0zzz", 6),
        T, "\xC3\xA9t");
    row("varchar ends at its first NUL", 0x30, 'V', 6, QByteArray("ab\0cd", 5), T, "ab");

    row("numeric drops blanks", 0x03, 'N', 8, "     42", N, "42");
    row("numeric drops trailing zeros", 0x03, 'N', 8, "   12.50", N, "12.5");
    row("numeric drops a bare point", 0x03, 'N', 8, "    3.00", N, "3");
    row("numeric leading point", 0x03, 'N', 5, "   .5", N, "0.5");
    row("numeric negative leading point", 0x03, 'N', 5, "  -.5", N, "-0.5");
    row("negative zero is zero", 0x03, 'N', 5, "-0.00", N, "0");
    row("numeric zero", 0x03, 'N', 4, "   0", N, "0");
    row("numeric leading zeros", 0x03, 'N', 5, "00700", N, "700");
    row("numeric plus sign", 0x03, 'N', 4, "  +5", N, "5");
    row("numeric trailing bare point", 0x03, 'N', 4, "  5.", N, "5");
    row("numeric negative zero without point", 0x03, 'N', 3, " -0", N, "0");
    row("numeric zero before the point kept", 0x03, 'N', 6, " -0.25", N, "-0.25");
    row("numeric zero fraction", 0x03, 'N', 4, " 0.0", N, "0");
    row("float zero exponent dropped", 0x03, 'F', 6, "  15e0", N, "15");
    row("numeric padded with NULs", 0x03, 'N', 6, QByteArray("12\0\0\0\0", 6), N, "12");
    row("numeric blank is null", 0x03, 'N', 6, "", Null, "");
    row("numeric empty of NULs is null", 0x03, 'N', 3, QByteArray(3, '\0'), Null, "");
    row("numeric overflow stars are null", 0x03, 'N', 5, "*****", Null, "");
    row("numeric with comma stays text", 0x03, 'N', 6, "  12,5", T, "12,5");
    row("numeric of letters stays text", 0x03, 'N', 5, "  abc", T, "abc");
    row("numeric lone minus stays text", 0x03, 'N', 3, "  -", T, "-");
    row("float exponent expanded", 0x03, 'F', 10, "  1.5E+3", N, "1500");
    row("float negative exponent", 0x03, 'F', 10, "  -25e-3", N, "-0.025");
    row("float with two exponent signs stays text", 0x03, 'F', 8, "  1e+-5", T, "1e+-5");
    row("float absurd exponent stays text", 0x03, 'F', 10, "   1e9999", T, "1e9999");

    row("integer", 0x30, 'I', 4, Bytes(Little32(1234)), N, "1234");
    row("integer zero", 0x30, 'I', 4, Bytes(Little32(0)), N, "0");
    row("integer most negative", 0x30, 'I', 4, Bytes(Little32(0x8000'0000u)), N, "-2147483648");
    row("two-byte integer", 0x03, 'I', 2, Bytes(Little16(0xFFFE)), N, "-2");
    row("eight-byte integer", 0x03, 'I', 8, Bytes(Little64(0x8000'0000'0000'0000u)), N,
        "-9223372036854775808");
    row("dBase 7 integer", 0x04, 'I', 4, Base7Integer(-7), N, "-7");
    row("dBase 7 autoincrement", 0x04, '+', 4, Base7Integer(1), N, "1");

    row("double shortest text", 0x30, 'B', 8, Bytes(LittleDouble(0.1)), N, "0.1");
    row("double large without exponent", 0x30, 'B', 8, Bytes(LittleDouble(1e20)), N,
        "100000000000000000000");
    row("double negative zero", 0x30, 'B', 8, Bytes(LittleDouble(-0.0)), N, "0");
    row("double NaN keeps its bytes", 0x30, 'B', 8,
        Bytes(LittleDouble(std::numeric_limits<double>::quiet_NaN())), ValueType::Binary,
        Bytes(LittleDouble(std::numeric_limits<double>::quiet_NaN())));
    row("xBase double eight wide", 0x03, 'B', 8, Bytes(LittleDouble(2.5)), N, "2.5");
    row("dBase 7 double", 0x04, 'O', 8, Base7Double(-2.25), N, "-2.25");
    row("dBase 7 double zero", 0x04, 'O', 8, Base7Double(0.0), N, "0");
    row("dBase 7 empty double is null", 0x04, 'O', 8, QByteArray(8, '\0'), Null, "");

    row("currency", 0x30, 'Y', 8, Bytes(Little64(123450000)), N, "12345");
    row("currency fraction", 0x30, 'Y', 8, Bytes(Little64(static_cast<std::uint64_t>(-5))), N,
        "-0.0005");
    row("currency most negative", 0x30, 'Y', 8, Bytes(Little64(0x8000'0000'0000'0000u)), N,
        "-922337203685477.5808");
    row("currency zero", 0x30, 'Y', 8, Bytes(Little64(0)), N, "0");
    row("currency zeros inside the fraction", 0x30, 'Y', 8,
        Bytes(Little64(static_cast<std::uint64_t>(-1200050))), N, "-120.005");
    row("currency below one", 0x30, 'Y', 8, Bytes(Little64(9990)), N, "0.999");

    row("date", 0x03, 'D', 8, "20240229", ValueType::Date, "2024-02-29");
    row("date blank is null", 0x03, 'D', 8, "", Null, "");
    row("date of zeros is null", 0x03, 'D', 8, "00000000", Null, "");
    row("impossible date stays text", 0x03, 'D', 8, "20211345", T, "20211345");
    row("no leap day stays text", 0x03, 'D', 8, "20230229", T, "20230229");
    row("date with letters stays text", 0x03, 'D', 8, "NotAYear", T, "NotAYear");

    row("datetime", 0x30, 'T', 8, DateTime(2451545, 45'296'000), ValueType::DateTime,
        "2000-01-01 12:34:56");
    row("datetime a millisecond short rounds", 0x30, 'T', 8, DateTime(2451545, 43'199'999),
        ValueType::DateTime, "2000-01-01 12:00:00");
    row("datetime rounding crosses midnight", 0x30, 'T', 8, DateTime(2451545, 86'399'999),
        ValueType::DateTime, "2000-01-02 00:00:00");
    row("datetime zero is null", 0x30, 'T', 8, DateTime(0, 0), Null, "");
    row("datetime blank is null", 0x30, 'T', 8, "        ", Null, "");
    row("datetime impossible time keeps its bytes", 0x30, 'T', 8, DateTime(2451545, 90'000'000),
        ValueType::Binary, DateTime(2451545, 90'000'000));

    // Milliseconds, 1 January of year 1 being day 1; plain, and with the sort order's flip.
    row("dBase 7 timestamp", 0x04, '@', 8, QByteArray::fromHex("42CB4062AA880000"),
        ValueType::DateTime, "1900-01-01 00:00:00");
    row("dBase 7 timestamp with its sign bit flipped", 0x04, '@', 8,
        Base7Double(730'120.0 * 86'400'000 + 45'296'000), ValueType::DateTime,
        "2000-01-01 12:34:56");
    row("timestamp of two longs as Visual FoxPro keeps them", 0x04, '@', 8,
        DateTime(2451545, 45'296'000), ValueType::DateTime, "2000-01-01 12:34:56");
    row("dBase 7 empty timestamp is null", 0x04, '@', 8, QByteArray(8, '\0'), Null, "");

    for (const char* yes : {"T", "t", "Y", "y"})
        row(qPrintable(QStringLiteral("logical %1 is true").arg(yes)), 0x03, 'L', 1, yes,
            ValueType::Logical, "True");
    for (const char* no : {"F", "f", "N", "n"})
        row(qPrintable(QStringLiteral("logical %1 is false").arg(no)), 0x03, 'L', 1, no,
            ValueType::Logical, "False");
    row("logical question mark is null", 0x03, 'L', 1, "?", Null, "");
    row("logical blank is null", 0x03, 'L', 1, " ", Null, "");
    row("logical other letter is null", 0x03, 'L', 1, "x", Null, "");

    row("unknown type letter is binary", 0x30, 'X', 8, QByteArray("\x01\0ab\x7F", 5),
        ValueType::Binary, QByteArray("\x01\0ab\x7F   ", 8));
    row("wide field is UTF-16LE text", 0x30, 'W', 64, QByteArray("a\0\xE9\0c\0\0\0x\0", 10), T,
        "a\xC3\xA9"
        "c");
    row("wide field with a surrogate pair", 0x30, 'W', 6, QByteArray("\x3D\xD8\x00\xDE!\0", 6), T,
        "\xF0\x9F\x98\x80!");
    row("wide field with a lone surrogate", 0x30, 'W', 6, QByteArray("\x3D\xD8z\0\0\0", 6), T,
        "\xEF\xBF\xBDz");
    row("wide field of odd width", 0x30, 'W', 3, QByteArray("a\0b", 3), T, "a\xEF\xBF\xBD");
}

void DbfFieldTest::decodesField() {
    QFETCH(int, version);
    QFETCH(char, type);
    QFETCH(int, length);
    QFETCH(QByteArray, raw);
    QFETCH(ValueType, expectedType);
    QFETCH(QByteArray, expected);

    DbfWriter writer(static_cast<std::uint8_t>(version));
    writer.addField("VALUE", type, length).addRecord({Raw(raw)});
    const auto path = std::filesystem::path(dir_.path().toStdString()) / "field.dbf";
    writer.write(path);

    const auto records = ReadAllRecords(path);
    QCOMPARE(records.size(), 1u);
    QCOMPARE(records[0].size(), 1u);
    QCOMPARE(ValueTypeName(records[0][0].type), ValueTypeName(expectedType));
    QCOMPARE(Bytes(records[0][0].text), expected);
}

QTEST_GUILESS_MAIN(DbfFieldTest)
#include "DbfFieldTest.moc"
