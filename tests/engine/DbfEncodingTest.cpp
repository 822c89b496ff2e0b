// Code pages: the language-driver byte, a .cpg file beside the table, the caller's
// override, multi-byte code pages and tables that name none.
#include "DbfTestSupport.h"
#include "samples/DbfWriter.h"

using namespace tabrivel;
using namespace tabrivel::testing;

class DbfEncodingTest : public QObject {
    Q_OBJECT

private slots:
    void decodesText_data();
    void decodesText();
    void unknownOverrideIsAnError();
    void statefulEncodingsAreRefused_data();
    void statefulEncodingsAreRefused();
    void memoTextIsDecodedToo();
    void oneDecodingPerTable_data();
    void oneDecodingPerTable();

private:
    QTemporaryDir dir_;
};

void DbfEncodingTest::decodesText_data() {
    QTest::addColumn<int>("languageDriver");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("cpg"); // a null array: no .cpg file
    QTest::addColumn<QString>("override");
    QTest::addColumn<QString>("expected");

    const QByteArray none;
    QTest::addRow("windows-1252 byte") << 0x03 << QByteArray("caf\xE9") << none << "" << u"café"_qs;
    QTest::addRow("DOS 437") << 0x01 << QByteArray("\x82t\x82") << none << "" << u"été"_qs;
    QTest::addRow("DOS 850") << 0x02 << QByteArray("\x8A") << none << "" << u"è"_qs;
    QTest::addRow("DOS 866 Cyrillic")
        << 0x26 << QByteArray("\x8C\xA8\xE0") << none << "" << u"Мир"_qs;
    QTest::addRow("Windows 1251") << 0xC9 << QByteArray("\xCC\xE8\xF0") << none << "" << u"Мир"_qs;
    QTest::addRow("Windows 1250") << 0xC8 << QByteArray("\x8A") << none << "" << u"Š"_qs;
    QTest::addRow("Chinese 936 multi-byte")
        << 0x4D << QByteArray("\xB2\xE2\xCA\xD4 ok") << none << "" << u"测试 ok"_qs;
    QTest::addRow("Japanese 932 multi-byte")
        << 0x13 << QByteArray("\x93\xFA\x96\x7B") << none << "" << u"日本"_qs;
    QTest::addRow("Korean 949") << 0x79 << QByteArray("\xC7\xD1") << none << "" << u"한"_qs;
    QTest::addRow("Big5 950") << 0x78 << QByteArray("\xA4\xA4") << none << "" << u"中"_qs;
    QTest::addRow("cpg UTF-8 beats the byte")
        << 0x03 << QByteArray("\xC3\xA9t\xC3\xA9") << QByteArray("UTF-8\r\n") << "" << u"été"_qs;
    QTest::addRow("cpg number") << 0x03 << QByteArray("\xCC\xE8\xF0") << QByteArray("1251") << ""
                                << u"Мир"_qs;
    QTest::addRow("cpg CP866") << 0x03 << QByteArray("\x8C\xA8\xE0") << QByteArray("CP866") << ""
                               << u"Мир"_qs;
    QTest::addRow("cpg ISO-8859-1")
        << 0x26 << QByteArray("\xE9") << QByteArray("ISO-8859-1") << "" << u"é"_qs;
    QTest::addRow("cpg 88591") << 0x26 << QByteArray("\xE9") << QByteArray("88591") << ""
                               << u"é"_qs;
    QTest::addRow("unreadable cpg falls back to the byte")
        << 0xC9 << QByteArray("\xCC") << QByteArray("no such page") << "" << u"М"_qs;
    QTest::addRow("override beats cpg and byte")
        << 0x26 << QByteArray("\xCC") << QByteArray("UTF-8") << "windows-1251" << u"М"_qs;
    QTest::addRow("override by number") << 0x26 << QByteArray("\xCC") << none << "1251" << u"М"_qs;
    QTest::addRow("no code page named, UTF-8 bytes")
        << 0x00 << QByteArray("\xD0\x9C\xD0\xB8\xD1\x80") << none << "" << u"Мир"_qs;
    QTest::addRow("no code page named, windows-1252 bytes")
        << 0x00 << QByteArray("na\xEFve") << none << "" << u"naïve"_qs;
    QTest::addRow("unknown driver byte, windows-1252 bytes")
        << 0xF0 << QByteArray("\xE9") << none << "" << u"é"_qs;
    QTest::addRow("Mazovia, shipped with the reader")
        << 0x69 << QByteArray("\x86\x8D\x91\x92\x9E\xA6\xA7\xA3\x9C") << none << ""
        << u"ąćęłśźżÓŁ"_qs;
    QTest::addRow("Kamenický, shipped with the reader")
        << 0x68 << QByteArray("\x80\x87\x9E\xA9\x96\xB0") << none << "" << u"ČčŘřů░"_qs;
    QTest::addRow("text ends at a NUL byte")
        << 0x03 << QByteArray("a\0b", 3) << none << "" << u"a"_qs;
}

void DbfEncodingTest::decodesText() {
    QFETCH(int, languageDriver);
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, cpg);
    QFETCH(QString, override);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    DbfWriter writer(0x03, static_cast<std::uint8_t>(languageDriver));
    writer.addField("TEXT", 'C', static_cast<int>(stored.size())).addRecord({FromQt(stored)});
    const auto path = PathIn(dir, "text.dbf");
    writer.write(path);
    if (!cpg.isNull())
        WriteFile(PathIn(dir, "TEXT.CPG"), FromQt(cpg));

    const auto records = ReadAllRecords(path, TableOpenOptions{override.toStdString()});
    QCOMPARE(records.at(0).at(0).type, ValueType::Text);
    QCOMPARE(QString::fromStdString(records[0][0].text), expected);
}

void DbfEncodingTest::unknownOverrideIsAnError() {
    DbfWriter writer(0x03);
    writer.addField("TEXT", 'C', 2).addRecord({"ab"});
    const auto path = PathIn(dir_, "override.dbf");
    writer.write(path);
    QCOMPARE(ErrorOf(path, TableOpenOptions{"no-such-code-page"}),
             std::optional(TableErrorCode::UnknownEncoding));
}

void DbfEncodingTest::statefulEncodingsAreRefused_data() {
    QTest::addColumn<QByteArray>("cpg");
    QTest::addColumn<QString>("override");
    QTest::addRow("cpg SCSU") << QByteArray("SCSU") << "";
    QTest::addRow("cpg BOCU-1") << QByteArray("BOCU-1\r\n") << "";
    QTest::addRow("cpg UTF-7") << QByteArray("UTF-7") << "";
    QTest::addRow("cpg ISO-2022-JP") << QByteArray("ISO-2022-JP") << "";
    QTest::addRow("cpg UTF-16") << QByteArray("UTF-16") << "";
    QTest::addRow("override SCSU") << QByteArray() << "SCSU";
    QTest::addRow("override HZ beats a good cpg") << QByteArray("1251") << "HZ";
}

void DbfEncodingTest::statefulEncodingsAreRefused() {
    QFETCH(QByteArray, cpg);
    QFETCH(QString, override);
    QTemporaryDir dir;
    DbfWriter writer(0x83, 0x03);
    writer.addField("NAME", 'C', 4).addField("NOTES", 'M', 10);
    writer.addRecord(
        {"\xE9\xE8\xFF\x80", MemoPointer(writer.addMemo(std::string(70000, '\xF0')), 10)});
    const auto path = PathIn(dir, "stateful.dbf");
    writer.write(path, ".dbt");
    if (!cpg.isNull())
        WriteFile(PathIn(dir, "stateful.cpg"), FromQt(cpg));
    const std::string named = override.isEmpty() ? FromQt(cpg.trimmed()) : override.toStdString();
    try {
        ReadAllRecords(path, TableOpenOptions{override.toStdString()});
        QFAIL("the table was read");
    } catch (const TableError& error) {
        QCOMPARE(error.code(), TableErrorCode::UnknownEncoding);
        QVERIFY2(std::string(error.what()).find('"' + named + '"') != std::string::npos,
                 error.what());
    }
}

void DbfEncodingTest::memoTextIsDecodedToo() {
    DbfWriter writer(0x83, 0x26);
    writer.addField("NOTES", 'M', 10);
    writer.addRecord({MemoPointer(writer.addMemo("\x8C\xA8\xE0"), 10)});
    const auto path = PathIn(dir_, "memo866.dbf");
    writer.write(path, ".dbt");
    QCOMPARE(QString::fromStdString(ReadAllRecords(path).at(0).at(0).text), u"Мир"_qs);
}

// Tables that name no code page are decoded one way throughout, chosen from all their
// text, memos included; a byte that names a code page we cannot decode says so once.
void DbfEncodingTest::oneDecodingPerTable_data() {
    QTest::addColumn<int>("languageDriver");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QByteArray>("memo");
    QTest::addColumn<QString>("expectedFirst");
    QTest::addColumn<QString>("expectedSecond");
    QTest::addColumn<bool>("warned");

    const QByteArray utf8("\xD0\x9C\xD0\xB8\xD1\x80"), ansi("caf\xE9"), ascii("plain");
    // Text that is not UTF-8 is read in a guessed code page, and the user is told.
    QTest::addRow("UTF-8 then ANSI: all ANSI")
        << 0x00 << utf8 << ansi << ascii << u"ÐœÐ¸Ñ€"_qs << u"café"_qs << true;
    QTest::addRow("ANSI then UTF-8: all ANSI")
        << 0x00 << ansi << utf8 << ascii << u"café"_qs << u"ÐœÐ¸Ñ€"_qs << true;
    QTest::addRow("all UTF-8") << 0x00 << utf8 << QByteArray("\xC3\xA9") << QByteArray("\xC3\xA9")
                               << u"Мир"_qs << u"é"_qs << false;
    QTest::addRow("a memo in ANSI decides")
        << 0x00 << utf8 << ascii << QByteArray("\xE9") << u"ÐœÐ¸Ñ€"_qs << u"plain"_qs << true;
    QTest::addRow("unknown byte, ANSI text: reported")
        << 0xF0 << ansi << ascii << ascii << u"café"_qs << u"plain"_qs << true;
    QTest::addRow("unknown byte, UTF-8 text")
        << 0xF0 << utf8 << ascii << ascii << u"Мир"_qs << u"plain"_qs << false;
    QTest::addRow("unknown byte, plain text")
        << 0xF0 << ascii << ascii << ascii << u"plain"_qs << u"plain"_qs << false;
}

void DbfEncodingTest::oneDecodingPerTable() {
    QFETCH(int, languageDriver);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QByteArray, memo);
    QFETCH(QString, expectedFirst);
    QFETCH(QString, expectedSecond);
    QFETCH(bool, warned);

    QTemporaryDir dir;
    DbfWriter writer(0x83, static_cast<std::uint8_t>(languageDriver));
    writer.addField("TEXT", 'C', 6).addField("NOTES", 'M', 10);
    writer.addRecord({FromQt(first), ""});
    writer.addRecord({FromQt(second), MemoPointer(writer.addMemo(FromQt(memo)), 10)});
    const auto path = PathIn(dir, "guess.dbf");
    writer.write(path, ".dbt");

    const auto reading = ReadTable(path);
    QCOMPARE(reading.error, std::string());
    QCOMPARE(QString::fromStdString(reading.records.at(0).at(0).text).trimmed(), expectedFirst);
    QCOMPARE(QString::fromStdString(reading.records.at(1).at(0).text).trimmed(), expectedSecond);
    QCOMPARE(reading.warnings.size(), warned ? 1u : 0u);
    if (warned) {
        const std::string message = reading.warnings[0].message();
        QCOMPARE(reading.warnings[0].code, TableErrorCode::UnknownEncoding);
        QVERIFY2(message.find("windows-1252, a guess") != std::string::npos, message.c_str());
        QCOMPARE(message.find("0xF0") != std::string::npos, languageDriver == 0xF0);
    }
}

QTEST_GUILESS_MAIN(DbfEncodingTest)
#include "DbfEncodingTest.moc"
