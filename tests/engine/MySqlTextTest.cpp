// MySQL literals read back by a model of how MySQL's lexer reads them: adjacent literals
// joined, '' and backslash escapes, and, for a multi-byte client character set, a byte
// above 0x7F taking the next byte into the same character. A literal must end where it
// was meant to end and give back every byte, in a single-byte reading and in GBK's.
#include "engine/MySqlText.h"
#include "engine/SqlText.h"
#include "engine/ValuePieces.h"

#include <QTest>

#include <optional>
#include <vector>

using namespace tabrivel;

namespace {

enum class Reading { SingleByte, Gbk };

bool IsGbkTrail(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFE);
}

char Unescaped(char letter) {
    switch (letter) {
    case 'r':
        return '\r';
    case 'n':
        return '\n';
    case '0':
        return '\0';
    case 'Z':
        return '\x1A';
    default:
        return letter;
    }
}

// One string literal (possibly in several adjacent parts) from the start of `text`: its
// bytes, and how much of `text` it took; nullopt when it never ends.
struct Read {
    std::string bytes;
    std::size_t taken = 0;
};
std::optional<Read> ReadLiteral(std::string_view text, Reading reading) {
    Read read;
    std::size_t at = 0;
    if (text.starts_with(kMySqlUtf8Introducer))
        at = kMySqlUtf8Introducer.size();
    while (at < text.size() && text[at] == '\'') {
        ++at;
        for (;;) {
            if (at >= text.size())
                return std::nullopt;
            const auto c = static_cast<unsigned char>(text[at]);
            if (reading == Reading::Gbk && c >= 0x81 && c <= 0xFE && at + 1 < text.size() &&
                IsGbkTrail(static_cast<unsigned char>(text[at + 1]))) {
                read.bytes += text.substr(at, 2);
                at += 2;
            } else if (c == '\\' && at + 1 < text.size()) {
                read.bytes.push_back(Unescaped(text[at + 1]));
                at += 2;
            } else if (c == '\'' && at + 1 < text.size() && text[at + 1] == '\'') {
                read.bytes.push_back('\'');
                at += 2;
            } else if (c == '\'') {
                ++at;
                break;
            } else {
                read.bytes.push_back(static_cast<char>(c));
                ++at;
            }
        }
        read.taken = at;
        if (text.substr(at).starts_with(" '"))
            ++at; // an adjacent literal continues the string
    }
    return read;
}

const std::vector<std::string>& HostileValues() {
    static const std::vector<std::string> values = {
        "plain",
        "O'Brien",
        "\\",
        "ends in \\",
        "\\'",
        "'\\\\'",
        "\xE2\x82\xAC\\",   // € then a backslash
        "\xE2\x82\xAC\\\\", // € then two
        "caf\xC3\xA9\\'); DROP TABLE victim;#",
        "\xC3\xA9'", // é before an apostrophe
        "a\r\nb\rc\nd",
        "\xE2\x82\xAC\r\n\xE2\x82\xAC\n",
        std::string("nul\0inside", 10),
        std::string("\xC3\xA9\0", 3),
        "ctrl-z \x1A end",
        "\\! touch PWNED #",
        "\xF0\x9F\x98\x80 \xE4\xB8\xAD \xD0\x96",
        "\xC3\xA9\xC3\xA9\xC3\xA9\\\\\\",
    };
    return values;
}

class Pieces final : public ValuePieces {
public:
    explicit Pieces(std::vector<std::string> pieces) : pieces_(std::move(pieces)) {}
    void forEach(const std::function<void(std::string_view)>& take) override {
        for (const std::string& piece : pieces_)
            take(piece);
    }

private:
    std::vector<std::string> pieces_;
};

} // namespace

class MySqlTextTest : public QObject {
    Q_OBJECT

private slots:
    void literalsReadBackExactly_data() {
        QTest::addColumn<int>("reading");
        QTest::addRow("single-byte client") << int(Reading::SingleByte);
        QTest::addRow("GBK client") << int(Reading::Gbk);
    }
    void literalsReadBackExactly() {
        QFETCH(int, reading);
        for (const std::string& value : HostileValues()) {
            std::string literal;
            AppendMySqlLiteral(literal, value);
            const std::string written = literal + ",'next'";
            const auto read = ReadLiteral(written, Reading(reading));
            QVERIFY2(read, literal.c_str());
            QCOMPARE(read->taken, literal.size());
            QCOMPARE(read->bytes, value);
        }
    }

    void introducerOnlyForTextBeyondAscii() {
        std::string ascii, accented;
        AppendMySqlLiteral(ascii, "a\\b");
        AppendMySqlLiteral(accented, "\xC3\xA9");
        QCOMPARE(ascii, std::string("'a\\\\b'"));
        QCOMPARE(accented, std::string("_utf8mb4'\xC3\xA9'"));
    }

    // The back-quote form of the window writes its values by the same rules, numbers and
    // dates included; every other delimiter keeps standard literals.
    void windowBackQuoteFormWritesMySqlLiterals() {
        const std::string euroBackslash = "\xE2\x82\xAC\\";
        const Value record[] = {Value::of(ValueType::Text, euroBackslash),
                                Value::of(ValueType::Number, "1.5"), Value::null()};
        const std::string mysql = InsertStatement("`", "`", "T", "b", record, true, ValueFormat());
        QCOMPARE(mysql,
                 std::string("INSERT INTO `T_b` VALUES (_utf8mb4'\xE2\x82\xAC' '\\\\','1.5','');"));
        const std::string standard =
            InsertStatement("\"", "\"", "T", "b", record, true, ValueFormat());
        QCOMPARE(standard, std::string("INSERT INTO \"T_b\" VALUES ('\xE2\x82\xAC\\','1.5','');"));
    }

    // A memo in pieces: an escape at the start of a piece still keeps away from the
    // accented letter that ended the piece before.
    void piecesShareOneLiteral() {
        Pieces pieces({"caf\xC3\xA9", "\\\r\n", "\xC3\xA9"});
        const Value record[] = {Value::inPieces(ValueType::Text, pieces)};
        int written = 0;
        std::string out;
        AppendInsertStatement(out, "`T`", record, false, ValueFormat(), LiteralRules::MySql,
                              [&written] { ++written; });
        QCOMPARE(written, 3);
        const std::string prefix = "INSERT INTO `T` VALUES (";
        QVERIFY(out.starts_with(prefix));
        const auto read = ReadLiteral(std::string_view(out).substr(prefix.size()), Reading::Gbk);
        QVERIFY(read);
        QCOMPARE(read->bytes, std::string("caf\xC3\xA9\\\r\n\xC3\xA9"));
        QCOMPARE(out.substr(prefix.size() + read->taken), std::string(")"));
    }
};

QTEST_GUILESS_MAIN(MySqlTextTest)
#include "MySqlTextTest.moc"
