#include "engine/ValueText.h"
#include "engine/ValuePieces.h"

#include <QTest>

#include <vector>

using namespace tabrivel;

namespace {

class FixedPieces final : public ValuePieces {
public:
    explicit FixedPieces(std::vector<std::string_view> pieces) : pieces_(std::move(pieces)) {}
    void forEach(const std::function<void(std::string_view)>& take) override {
        for (const auto piece : pieces_)
            take(piece);
    }

private:
    std::vector<std::string_view> pieces_;
};

} // namespace

class ValueTextTest : public QObject {
    Q_OBJECT

private slots:
    void inLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("canonical");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* locale, ValueType type, QByteArray canonical,
                      const char* expected) {
            QTest::addRow("%s", name)
                << locale << int(type) << canonical << QString::fromUtf8(expected);
        };
        row("C number", "C", ValueType::Number, "-12.5", "-12.5");
        row("German decimal comma", "de_DE", ValueType::Number, "-12.5", "-12,5");
        row("integer unchanged by locale", "de_DE", ValueType::Number, "1234567", "1234567");
        row("C date is ISO", "C", ValueType::Date, "2021-08-31", "2021-08-31");
        row("US date keeps the century", "en_US", ValueType::Date, "1999-01-05", "1/5/1999");
        row("German date keeps the century", "de_DE", ValueType::Date, "1999-01-05", "05.01.1999");
        row("C date-time", "C", ValueType::DateTime, "2021-08-31 23:05:09", "2021-08-31 23:05:09");
        row("German date-time, 24 hours", "de_DE", ValueType::DateTime, "2021-08-31 23:05:09",
            "31.08.2021 23:05:09");
        row("logical", "de_DE", ValueType::Logical, "True", "True");
        row("binary as uppercase hex", "C", ValueType::Binary, QByteArray("\x00\xff\x1a", 3),
            "00FF1A");
        row("null is empty", "de_DE", ValueType::Null, "", "");
        row("text with apostrophes and NUL", "C", ValueType::Text, QByteArray("'a\0'", 4), "''a''");
    }
    void inLocale() {
        QFETCH(QString, locale);
        QFETCH(int, type);
        QFETCH(QByteArray, canonical);
        QFETCH(QString, expected);
        const ValueFormat format = ValueFormat::fromLocale(QLocale(locale));
        const Value value =
            Value::of(ValueType(type), std::string_view(canonical.data(), canonical.size()));
        QCOMPARE(QString::fromStdString(ValueText(value, format)), expected);
    }

    // Text is scanned in eight-byte steps: an apostrophe or NUL at any place of a word,
    // and in the tail after the last whole word, must still be caught.
    void escapingAtEveryPosition() {
        for (int length = 1; length <= 20; ++length) {
            for (int at = 0; at < length; ++at) {
                for (char special : {'\'', '\0'}) {
                    std::string text(length, 'x');
                    text[at] = special;
                    std::string expected(at, 'x');
                    expected += special == '\'' ? "''" : "";
                    expected += std::string(length - at - 1, 'x');
                    QCOMPARE(ValueText(Value::of(ValueType::Text, text), ValueFormat()), expected);
                }
            }
        }
    }

    // Every short date pattern Qt knows must widen its year to four digits and never put
    // an unescaped apostrophe into the statement.
    void everyLocaleKeepsTheCenturyAndTheQuoting() {
        const Value date = Value::of(ValueType::Date, "1987-12-03");
        for (const QLocale& locale : QLocale::matchingLocales(
                 QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyCountry)) {
            QString text = QString::fromStdString(ValueText(date, ValueFormat::fromLocale(locale)));
            if (locale.language() == QLocale::C || locale.zeroDigit() != u'0')
                continue;
            QVERIFY2(text.contains("1987"), qPrintable(locale.name() + ": " + text));
            QVERIFY2(!text.remove("''").contains('\''), qPrintable(locale.name() + ": " + text));
        }
    }

    // A value in pieces is escaped as if it were whole, and the room reserved for it is
    // exactly what it takes: apostrophes doubled, NULs left out, bytes as hex.
    void piecesAreEscapedAsOneValue() {
        using namespace std::string_view_literals;
        FixedPieces text({"it'", "s\0 a"sv, "", "'"});
        const Value textValue = Value::inPieces(ValueType::Text, text);
        QCOMPARE(ValueText(textValue, ValueFormat()), std::string("it''s a''"));
        QCOMPARE(ValueTextLengthBound(textValue), std::string("it''s a''").size());
        FixedPieces bytes({"\x01\xAB"sv, "\0"sv});
        const Value binaryValue = Value::inPieces(ValueType::Binary, bytes);
        QCOMPARE(ValueText(binaryValue, ValueFormat()), std::string("01AB00"));
        QCOMPARE(ValueTextLengthBound(binaryValue), 6u);
    }
};

QTEST_GUILESS_MAIN(ValueTextTest)
#include "ValueTextTest.moc"
