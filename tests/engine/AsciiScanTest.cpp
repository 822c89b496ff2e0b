// The word-at-a-time scans of field bytes against their byte-at-a-time meaning, over
// every string of up to ten bytes from the bytes that trip such tricks: NUL, 0x01 (a
// borrow from a NUL below turns it into a false zero), 0x81 (a high bit that is no
// zero) and plain ASCII; for the apostrophe's scan also the apostrophe and '&' (0x26,
// which the apostrophe's test turns into 0x01).
#include "engine/dbf/AsciiScan.h"

#include <QtTest>

#include <string>

using namespace tabrivel::dbf;

namespace {

constexpr char kAlphabet[] = {'\0', '\x01', '\x81', 'a'};
constexpr char kLiteralAlphabet[] = {'\0', '\x01', '\x81', 'a', '\'', '&'};

bool AllBelow0x80(std::string_view bytes, bool withoutNul) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80 || (withoutNul && c == '\0'))
            return false;
    return true;
}

// Calls `check` with every string of `length` bytes over `alphabet`.
template <typename Check>
void EveryString(std::string_view alphabet, std::size_t length, const Check& check) {
    std::string text(length, alphabet[0]);
    std::size_t combinations = 1;
    for (std::size_t i = 0; i < length; ++i)
        combinations *= alphabet.size();
    for (std::size_t n = 0; n < combinations; ++n) {
        std::size_t rest = n;
        for (std::size_t i = 0; i < length; ++i) {
            text[i] = alphabet[rest % alphabet.size()];
            rest /= alphabet.size();
        }
        check(std::string_view(text));
    }
}

} // namespace

class AsciiScanTest : public QObject {
    Q_OBJECT

private slots:
    void scansAgreeWithBytes();
    void literalScanFindsEveryApostrophe();
};

void AsciiScanTest::scansAgreeWithBytes() {
    int mismatches = 0;
    for (std::size_t length = 0; length <= 10; ++length)
        EveryString({kAlphabet, std::size(kAlphabet)}, length, [&](std::string_view text) {
            const std::size_t nul = std::min(text.find('\0'), text.size());
            if (NulPosition(text) != nul || IsAscii(text) != AllBelow0x80(text, false) ||
                IsAsciiWithoutNul(text) != AllBelow0x80(text, true)) {
                if (++mismatches <= 5)
                    qWarning() << "mismatch on" << QByteArray(text.data(), text.size()).toHex();
            }
        });
    QCOMPARE(mismatches, 0);
}

void AsciiScanTest::literalScanFindsEveryApostrophe() {
    int mismatches = 0;
    for (std::size_t length = 0; length <= 9; ++length)
        EveryString(
            {kLiteralAlphabet, std::size(kLiteralAlphabet)}, length, [&](std::string_view text) {
                const bool expected = AllBelow0x80(text, true) && text.find('\'') == text.npos;
                if (IsLiteralAscii(text) != expected && ++mismatches <= 5)
                    qWarning() << "mismatch on" << QByteArray(text.data(), text.size()).toHex();
            });
    QCOMPARE(mismatches, 0);
}

QTEST_GUILESS_MAIN(AsciiScanTest)
#include "AsciiScanTest.moc"
