// Numbers stored as text: every short string of the characters that matter, checked for
// a canonical form that keeps the stored value, whether it is handed on as stored or
// written anew.
#include "engine/dbf/NumberText.h"

#include <QtTest>

#include <algorithm>
#include <cstdlib>
#include <string>

using tabrivel::dbf::CanonicalDecimal;
using tabrivel::dbf::NumberForm;

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// [-]digits[.digits]: no leading zero before another digit, no trailing fractional
// zero, no sign on zero.
bool IsCanonical(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    const std::string_view number = text.substr(negative ? 1 : 0);
    const std::size_t point = std::min(number.find('.'), number.size());
    const std::string_view whole = number.substr(0, point);
    const std::string_view fraction = point < number.size() ? number.substr(point + 1) : "";
    const auto allDigits = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), IsDigit);
    };
    if (whole.empty() || !allDigits(whole) || !allDigits(fraction))
        return false;
    if ((whole.size() > 1 && whole.front() == '0') || (point < number.size() && fraction.empty()))
        return false;
    if (!fraction.empty() && fraction.back() == '0')
        return false;
    return !(negative && whole == "0" && fraction.empty());
}

double ValueOf(std::string_view text) {
    return std::strtod(std::string(text).c_str(), nullptr);
}

} // namespace

class NumberTextTest : public QObject {
    Q_OBJECT

private slots:
    void everyShortNumberComesOutCanonicalWithItsValue();
    void storedTextThatIsCanonicalIsHandedOnAsStored();
    void paddingIsTrimmedWhereverTheValueStands();
};

void NumberTextTest::everyShortNumberComesOutCanonicalWithItsValue() {
    static constexpr std::string_view kAlphabet = "0150-+.e ";
    constexpr int kLength = 6;
    int numbers = 0;
    std::string raw(kLength, ' ');
    for (long code = 0; code < 531441; ++code) { // 9^6
        long rest = code;
        for (char& c : raw) {
            c = kAlphabet[static_cast<std::size_t>(rest % 9)];
            rest /= 9;
        }
        std::string out = "kept";
        std::string_view canonical;
        if (CanonicalDecimal(raw, out, canonical) != NumberForm::Number)
            continue;
        ++numbers;
        if (!IsCanonical(canonical) || ValueOf(canonical) != ValueOf(raw))
            QFAIL(qPrintable(QStringLiteral("\"%1\" gave \"%2\"")
                                 .arg(QString::fromStdString(raw),
                                      QString::fromStdString(std::string(canonical)))));
        QVERIFY(out.starts_with("kept"));
    }
    QVERIFY(numbers > 10000);
}

void NumberTextTest::storedTextThatIsCanonicalIsHandedOnAsStored() {
    std::string out;
    std::string_view canonical;
    const std::string stored = "  -12.5";
    QCOMPARE(CanonicalDecimal(stored, out, canonical), NumberForm::Number);
    QCOMPARE(std::string(canonical), std::string("-12.5"));
    QCOMPARE(static_cast<const void*>(canonical.data()), static_cast<const void*>(&stored[2]));
    QVERIFY(out.empty());

    const std::string rewritten = " 12.50";
    QCOMPARE(CanonicalDecimal(rewritten, out, canonical), NumberForm::Number);
    QCOMPARE(std::string(canonical), std::string("12.5"));
    QCOMPARE(static_cast<const void*>(canonical.data()), static_cast<const void*>(out.data()));
}

// Padding is looked at eight bytes at a time: a value of every length at every place in
// fields up to three words wide, among blanks and NULs, and bytes that are neither but
// differ from a blank or a NUL in one bit only.
void NumberTextTest::paddingIsTrimmedWhereverTheValueStands() {
    const std::string fillers[] = {" ", std::string(1, '\0'), " \0"};
    const std::string values[] = {"7", "-1.5", "a b", "\x80", "0", "\xA0 x \x01"};
    for (std::size_t width = 0; width <= 24; ++width)
        for (const std::string& filler : fillers)
            for (const std::string& value : values)
                for (std::size_t at = 0; at + value.size() <= width; ++at) {
                    std::string field;
                    while (field.size() < width)
                        field += filler[field.size() % filler.size()];
                    field.replace(at, value.size(), value);
                    const std::string_view trimmed = tabrivel::dbf::TrimPadding(field);
                    QVERIFY2(trimmed == value,
                             qPrintable(QString::number(width) + "/" + QString::number(at)));
                }
    for (std::size_t width = 0; width <= 24; ++width)
        QVERIFY(tabrivel::dbf::TrimPadding(std::string(width, ' ')).empty());
}

QTEST_GUILESS_MAIN(NumberTextTest)
#include "NumberTextTest.moc"
