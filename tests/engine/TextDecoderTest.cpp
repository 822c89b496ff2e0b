// The decoder on its own: values whose decoded form is longer than their bytes, and
// code pages whose low bytes are not ASCII.
#include "engine/dbf/TextDecoder.h"

#include <QtTest>

#include <unicode/ucnv.h>

#include <array>
#include <string>

using tabrivel::dbf::IsTableCodePage;
using tabrivel::dbf::TextDecoder;

namespace {

// The bytes ICU writes for `text` in `codePage`.
std::string Encode(const char* codePage, const std::u16string& text) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(codePage, &status);
    std::string out(text.size() * 4 + 16, '\0');
    const int32_t length = ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                                           reinterpret_cast<const UChar*>(text.data()),
                                           static_cast<int32_t>(text.size()), &status);
    ucnv_close(converter);
    out.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
    return out;
}

std::string Decode(const char* codePage, const std::string& bytes) {
    TextDecoder decoder(codePage);
    std::string out = "kept:";
    decoder.append(bytes, out);
    return out;
}

} // namespace

class TextDecoderTest : public QObject {
    Q_OBJECT

private slots:
    void decodedTextLongerThanItsBytesArrivesWhole();
    void lowBytesGoThroughTheConverterWhenTheyAreNotAscii();
    void tableCodePages_data();
    void tableCodePages();
    void anOwnUpperHalfStaysWithItsDecoder();
};

void TextDecoderTest::decodedTextLongerThanItsBytesArrivesWhole() {
    // In SCSU a window into the supplementary planes turns each later byte into a
    // surrogate pair: twice as many UTF-16 units as bytes, which once overran the
    // buffer sized by the byte count.
    std::u16string text;
    for (int i = 0; i < 5000; ++i)
        text += u"\U0001F600";
    const std::string bytes = Encode("SCSU", text);
    QVERIFY(!bytes.empty());
    QVERIFY(bytes.size() < text.size());

    std::string expected = "kept:";
    for (int i = 0; i < 5000; ++i)
        expected += "\xF0\x9F\x98\x80";
    QCOMPARE(Decode("SCSU", bytes), expected);
}

void TextDecoderTest::lowBytesGoThroughTheConverterWhenTheyAreNotAscii() {
    // UTF-16LE "AB": every byte is below 0x80, yet the text is not those bytes.
    QCOMPARE(Decode("UTF-16LE", std::string("A\0B\0", 4)), std::string("kept:AB"));
    // EBCDIC: 0xC1 0xC2 is "AB"; 0x40 is the blank.
    QCOMPARE(Decode("ibm-037", "\xC1\xC2\x40"), std::string("kept:AB "));
}

void TextDecoderTest::tableCodePages_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("table");
    for (const char* name : {"windows-1252", "cp866", "UTF-8", "ibm-037", "windows-936", "Big5",
                             "Shift_JIS", "GB18030", "US-ASCII", "ISO-8859-1"})
        QTest::addRow("%s", name) << QString(name) << true;
    for (const char* name :
         {"SCSU", "BOCU-1", "UTF-7", "IMAP-mailbox-name", "ISO-2022-JP", "ISO-2022-KR", "HZ",
          "UTF-16", "UTF-16BE", "UTF-32", "ibm-930", "no such code page", ""})
        QTest::addRow("%s", name) << QString(name) << false;
}

void TextDecoderTest::tableCodePages() {
    QFETCH(QString, name);
    QFETCH(bool, table);
    QCOMPARE(IsTableCodePage(name.toStdString()), table);
}

// What is learnt of a code page is shared by every decoder of it; an upper half of our
// own, given to one of them, must not reach the others.
void TextDecoderTest::anOwnUpperHalfStaysWithItsDecoder() {
    QCOMPARE(Decode("windows-1252", "\x80\xE9"), std::string("kept:\xE2\x82\xAC\xC3\xA9"));
    std::array<char16_t, 128> upper{};
    upper.fill(u'?');
    upper[0] = u'\u0416'; // Cyrillic Zhe in place of the euro sign
    TextDecoder own("windows-1252");
    own.replaceUpperHalf(upper);
    std::string out;
    own.append("\x80\xE9", out);
    QCOMPARE(out, std::string("\xD0\x96?"));
    QCOMPARE(Decode("windows-1252", "\x80\xE9"), std::string("kept:\xE2\x82\xAC\xC3\xA9"));
    // Multi-byte code pages keep a converter each, and still decode after one was used.
    QCOMPARE(Decode("Shift_JIS", "\x82\xA0"
                                 "A"),
             std::string("kept:\xE3\x81\x82"
                         "A"));
    QCOMPARE(Decode("Shift_JIS", "\x82\xA0"
                                 "A"),
             std::string("kept:\xE3\x81\x82"
                         "A"));
}

QTEST_GUILESS_MAIN(TextDecoderTest)
#include "TextDecoderTest.moc"
