#include "fs/PathText.h"
#include "fs/NativePath.h"

#include <QRandomGenerator>
#include <QTest>
#include <QUrl>

#include <climits>

using namespace tabrivel;

// The text helpers must take paths apart the same way whichever separator they are given.
// Rows are written with "\"; each is run once as written and once with "/" in its place.
class PathTextTest : public QObject {
    Q_OBJECT

private:
    using TextRoutine = QString (*)(const QString&, QChar);

    static void addRows(const char* routineName, TextRoutine routine, const char* name,
                        const QString& path, const QString& expected) {
        QTest::addRow("%s: %s [\\]", routineName, name)
            << routine << path << QChar(u'\\') << expected;
        QString slashed = path;
        QString slashedExpected = expected;
        slashed.replace(u'\\', u'/');
        slashedExpected.replace(u'\\', u'/');
        QTest::addRow("%s: %s [/]", routineName, name)
            << routine << slashed << QChar(u'/') << slashedExpected;
    }

private slots:
    void separatorRoutines_data() {
        QTest::addColumn<TextRoutine>("routine");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("expected");
        const auto fileName = [](const char* name, const QString& path, const QString& expected) {
            addRows("FileNameOfPath", &FileNameOfPath, name, path, expected);
        };
        fileName("bare name", "table.dbf", "table.dbf");
        fileName("full path", "C:\\data\\table.dbf", "table.dbf");
        fileName("folder with trailing separator", "C:\\data\\", "");
        fileName("empty", "", "");
        fileName("UNC share", "\\\\server\\share", "share");
        fileName("separator only", "\\", "");

        const auto folder = [](const char* name, const QString& path, const QString& expected) {
            addRows("FolderOfPath", &FolderOfPath, name, path, expected);
        };
        folder("bare name", "table.dbf", "");
        folder("full path", "C:\\data\\table.dbf", "C:\\data\\");
        folder("drive root", "C:\\", "C:\\");
        folder("UNC share", "\\\\server\\share", "\\\\server\\");
        folder("empty", "", "");
        folder("dot inside folder", "C:\\my.data\\t", "C:\\my.data\\");

        const auto collapse = [](const char* name, const QString& path, const QString& expected) {
            addRows("CollapseDoubleBackslashes", &CollapseDoubleBackslashes, name, path, expected);
        };
        collapse("doubled in drive path", "C:\\\\data\\\\t.dbf", "C:\\data\\t.dbf");
        collapse("single untouched", "C:\\data\\t.dbf", "C:\\data\\t.dbf");
        collapse("run of three", "C:\\data\\\\\\t", "C:\\data\\\\t");
        collapse("run of four, one pass", "C:\\data\\\\\\\\t", "C:\\data\\\\t");
        collapse("trailing double", "C:\\data\\\\", "C:\\data\\");
        collapse("empty", "", "");
    }
    void separatorRoutines() {
        QFETCH(TextRoutine, routine);
        QFETCH(QString, path);
        QFETCH(QChar, separator);
        QFETCH(QString, expected);
        QCOMPARE(routine(path, separator), expected);
    }

    // A leading run is a network-share prefix only where "\\" is the separator; with "/"
    // it is reduced like any other run, so an absolute POSIX path keeps its one "/".
    void collapseLeadingRun_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("backslashed");
        QTest::addColumn<QString>("slashed");
        QTest::addRow("UNC kept") << "\\\\server\\share"
                                  << "\\\\server\\share"
                                  << "/server/share";
        QTest::addRow("UNC inner double") << "\\\\server\\\\share"
                                          << "\\\\server\\share"
                                          << "/server/share";
        QTest::addRow("leading one") << "\\data"
                                     << "\\\\data"
                                     << "/data";
        QTest::addRow("leading three") << "\\\\\\server\\x"
                                       << "\\\\server\\x"
                                       << "//server/x";
        QTest::addRow("leading four") << "\\\\\\\\server\\x"
                                      << "\\\\server\\x"
                                      << "//server/x";
        QTest::addRow("single separator") << "\\"
                                          << "\\\\"
                                          << "/";
        QTest::addRow("only separators") << "\\\\\\\\\\"
                                         << "\\\\"
                                         << "///";
    }
    void collapseLeadingRun() {
        QFETCH(QString, path);
        QFETCH(QString, backslashed);
        QFETCH(QString, slashed);
        QCOMPARE(CollapseDoubleBackslashes(path, u'\\'), backslashed);
        QCOMPARE(CollapseDoubleBackslashes(QString(path).replace(u'\\', u'/'), u'/'), slashed);
    }

    void otherSeparatorIsPlainText() {
        QCOMPARE(FileNameOfPath("C:\\data/table.dbf", u'\\'), QString("data/table.dbf"));
        QCOMPARE(FolderOfPath("/srv/a\\b", u'/'), QString("/srv/"));
        QCOMPARE(CollapseDoubleBackslashes("a\\\\b//c", u'/'), QString("a\\\\b/c"));
    }

    void pathWithoutExtension_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::addRow("one extension") << "table.dbf"
                                       << "table";
        QTest::addRow("two extensions") << "archive.tar.gz"
                                        << "archive.tar";
        QTest::addRow("leading dot only") << ".dbf"
                                          << ".dbf";
        QTest::addRow("dot profile") << ".profile"
                                     << ".profile";
        QTest::addRow("trailing dot") << "a."
                                      << "a";
        QTest::addRow("no dot") << "README"
                                << "README";
        QTest::addRow("empty") << ""
                               << "";
        QTest::addRow("dot in folder part counts") << "C:\\my.data\\table"
                                                   << "C:\\my";
        QTest::addRow("dot after leading dot") << ".config.bak"
                                               << ".config";
    }
    void pathWithoutExtension() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(PathWithoutExtension(name), expected);
    }

    void hasOddCharacters_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("odd");
        QTest::addRow("letters digits blanks") << "Data 2021 final" << false;
        QTest::addRow("empty") << "" << false;
        QTest::addRow("question mark") << "what?" << true;
        QTest::addRow("tab") << "a\tb" << true;
        QTest::addRow("code 31") << QString("a") + QChar(31) << true;
        QTest::addRow("blank is code 32") << " " << false;
        QTest::addRow("tilde 126") << "~lock" << false;
        QTest::addRow("delete 127") << QString("a") + QChar(127) << true;
        QTest::addRow("control 159") << QString("a") + QChar(159) << true;
        QTest::addRow("no-break space 160") << QString("a") + QChar(160) << false;
        QTest::addRow("accented") << QString::fromUtf8("Données") << false;
        QTest::addRow("cyrillic") << QString::fromUtf8("Таблицы") << false;
        QTest::addRow("emoji pair") << QString::fromUtf8("a\xF0\x9F\x98\x80") << false;
        QTest::addRow("undecodable bytes")
            << QString("bad") + QChar(QChar::ReplacementCharacter) << true;
        QTest::addRow("lone high surrogate") << QString("a") + QChar(0xD83D) + "b" << true;
        QTest::addRow("lone low surrogate") << QString("a") + QChar(0xDE00) << true;
        QTest::addRow("high surrogate at end") << QString("a") + QChar(0xD83D) << true;
    }
    void hasOddCharacters() {
        QFETCH(QString, name);
        QFETCH(bool, odd);
        QCOMPARE(HasOddCharacters(name), odd);
    }

#ifndef Q_OS_WIN
    void pathLimitCountsEncodedBytes_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("reaches");
        QTest::addRow("one below") << QString(PATH_MAX - 1, u'a') << false;
        QTest::addRow("exactly the limit") << QString(PATH_MAX, u'a') << true;
        // Half as many characters, each two bytes: as long as the system counts it.
        QTest::addRow("two-byte characters") << QString(PATH_MAX / 2, QChar(0xE9)) << true;
        // An undecodable byte kept in the text is one byte on disk, not U+FFFD's three.
        QTest::addRow("escaped bytes") << QString(PATH_MAX - 1, QChar(0xDCE9)) << false;
        QTest::addRow("empty") << QString() << false;
    }
    void pathLimitCountsEncodedBytes() {
        QFETCH(QString, path);
        QFETCH(bool, reaches);
        QCOMPARE(ReachesPathLimit(path), reaches);
    }
#endif

    // Names as the file system stores them must come back byte for byte from their text,
    // whatever they hold; valid UTF-8 reads as its characters, anything else as escapes.
    void nativeNamesRoundTrip_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const auto escaped = [](std::initializer_list<int> bytes) {
            QString text;
            for (const int byte : bytes)
                text += QChar(char16_t(0xDC00 + byte));
            return text;
        };
        QTest::addRow("empty") << QByteArray() << QString();
        QTest::addRow("ascii") << QByteArray("table.dbf") << "table.dbf";
        QTest::addRow("utf-8 accent") << QByteArray("caf\xC3\xA9") << QString::fromUtf8("café");
        QTest::addRow("latin-1 accent")
            << QByteArray("caf\xE9.dbf") << "caf" + escaped({0xE9}) + ".dbf";
        QTest::addRow("latin-1 before utf-8")
            << QByteArray("\xE9\xC3\xA9") << escaped({0xE9}) + QString::fromUtf8("é");
        QTest::addRow("emoji") << QByteArray("\xF0\x9F\x98\x80")
                               << QString::fromUtf8("\xF0\x9F\x98\x80");
        QTest::addRow("highest code point")
            << QByteArray("\xF4\x8F\xBF\xBF") << QString::fromUcs4(U"\U0010FFFF");
        QTest::addRow("above the highest")
            << QByteArray("\xF4\x90\x80\x80") << escaped({0xF4, 0x90, 0x80, 0x80});
        QTest::addRow("overlong slash") << QByteArray("\xC0\xAF") << escaped({0xC0, 0xAF});
        QTest::addRow("overlong three bytes")
            << QByteArray("\xE0\x80\xAF") << escaped({0xE0, 0x80, 0xAF});
        QTest::addRow("overlong four bytes")
            << QByteArray("\xF0\x80\x80\xAF") << escaped({0xF0, 0x80, 0x80, 0xAF});
        QTest::addRow("last before surrogates")
            << QByteArray("\xED\x9F\xBF") << QString(QChar(0xD7FF));
        QTest::addRow("encoded surrogate")
            << QByteArray("\xED\xA0\x80") << escaped({0xED, 0xA0, 0x80});
        // The UTF-8 form of an escape itself must not read as that escape.
        QTest::addRow("encoded escape")
            << QByteArray("\xED\xB3\xA9") << escaped({0xED, 0xB3, 0xA9});
        QTest::addRow("cut short at the end")
            << QByteArray("a\xE2\x82") << "a" + escaped({0xE2, 0x82});
        QTest::addRow("cut short by ascii")
            << QByteArray("\xE2\x82z") << escaped({0xE2, 0x82}) + "z";
        QTest::addRow("stray continuation") << QByteArray("\x80\xBF") << escaped({0x80, 0xBF});
        QTest::addRow("never a lead") << QByteArray("\xF5\xFE\xFF") << escaped({0xF5, 0xFE, 0xFF});
        QTest::addRow("nul kept") << QByteArray("a\0b", 3) << QStringView(u"a\0b", 3).toString();
        for (int byte = 0; byte < 256; ++byte) {
            const char raw = static_cast<char>(byte);
            QTest::addRow("byte %02X", byte)
                << QByteArray(1, raw)
                << (byte < 0x80 ? QString(QChar(char16_t(byte))) : escaped({byte}));
        }
    }
    void nativeNamesRoundTrip() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(DecodeNativeName(bytes), text);
        QCOMPARE(EncodeNativeName(text), bytes);
        QCOMPARE(HasEscapedBytes(text), QString::fromUtf8(bytes).toUtf8() != bytes);
    }

    // Strings of bytes drawn mostly from the bytes that begin, continue or break sequences.
    void mixedByteStringsRoundTrip() {
        static constexpr unsigned char kBytes[] = {'a',  '.',  0x00, 0x7F, 0x80, 0x9F, 0xA0, 0xBF,
                                                   0xC0, 0xC2, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4,
                                                   0xF5, 0xFF, 0xE9, 0x8F, 0x90, 0xB3};
        QRandomGenerator random(20240501);
        for (int round = 0; round < 20000; ++round) {
            QByteArray bytes;
            const int length = random.bounded(13);
            for (int i = 0; i < length; ++i)
                bytes += static_cast<char>(kBytes[random.bounded(int(std::size(kBytes)))]);
            const QString text = DecodeNativeName(bytes);
            QCOMPARE(EncodeNativeName(text), bytes);
            const QString readable = ReadableName(text);
            // What people see is valid UTF-16, and exactly what Qt reads for valid UTF-8.
            QVERIFY(QString::fromUtf8(readable.toUtf8()) == readable);
            if (!HasEscapedBytes(text))
                QCOMPARE(text, QString::fromUtf8(bytes));
        }
    }

    void textNoDecodingMakes() {
        const QChar escape(char16_t(0xDCE9));
        // Only the halves of a pair that lost the other, and low surrogates that stand for
        // no byte above 0x7F, are written as U+FFFD.
        QCOMPARE(EncodeNativeName(QString(QChar(0xD83D)) + "a"), QByteArray("\xEF\xBF\xBD"
                                                                            "a"));
        QCOMPARE(EncodeNativeName(QString(QChar(0xDC41))), QByteArray("\xEF\xBF\xBD"));
        QCOMPARE(EncodeNativeName(QString::fromUtf8("\xF0\x9F\x98\x80") + escape),
                 QByteArray("\xF0\x9F\x98\x80\xE9"));
        QCOMPARE(ReadableName(QString("caf") + escape + QChar(0xD83D)),
                 QString::fromUtf8("caf\xEF\xBF\xBD\xEF\xBF\xBD"));
        QCOMPARE(ReadableName(QString::fromUtf8("\xF0\x9F\x98\x80")),
                 QString::fromUtf8("\xF0\x9F\x98\x80"));
        QVERIFY(!HasEscapedBytes(QString(QChar(0xD83D)) + QChar(0xDCE9))); // one pair
        QVERIFY(HasEscapedBytes(QString("a") + escape));
    }

#ifndef Q_OS_WIN
    void localPathsOfUrls_data() {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<QString>("path");
        QTest::addRow("latin-1 byte") << QUrl::fromEncoded("file:///data/caf%E9.dbf")
                                      << "/data/caf" + QString(QChar(0xDCE9)) + ".dbf";
        QTest::addRow("utf-8 accent") << QUrl::fromEncoded("file:///data/caf%C3%A9.dbf")
                                      << QString::fromUtf8("/data/café.dbf");
        QTest::addRow("raw accent") << QUrl(QString::fromUtf8("file:///data/café.dbf"))
                                    << QString::fromUtf8("/data/café.dbf");
        QTest::addRow("escaped specials")
            << QUrl::fromLocalFile("/data/a b%20#?.dbf") << "/data/a b%20#?.dbf";
        QTest::addRow("host") << QUrl::fromEncoded("file://server/share/t.dbf")
                              << "//server/share/t.dbf";
        QTest::addRow("no local file") << QUrl("https://example.org/t.dbf") << QString();
        QTest::addRow("empty") << QUrl() << QString();
    }
    void localPathsOfUrls() {
        QFETCH(QUrl, url);
        QFETCH(QString, path);
        QCOMPARE(LocalPathOfUrl(url), path);
        if (!HasEscapedBytes(path))
            QCOMPARE(LocalPathOfUrl(url), url.toLocalFile());
    }
#endif
};

QTEST_GUILESS_MAIN(PathTextTest)
#include "PathTextTest.moc"
