#include "companion/ProgressLine.h"

#include <QTest>

#include <cstdio>
#include <optional>

using namespace tabrivel;
using namespace std::chrono_literals;

namespace {

ProgressLine::Clock::time_point fakeNow;

ProgressLine::Clock::time_point FakeClock() {
    return fakeNow;
}

QByteArray Written(std::FILE* file) {
    std::fflush(file);
    QByteArray bytes(static_cast<qsizetype>(std::ftell(file)), '\0');
    std::rewind(file);
    bytes.resize(static_cast<qsizetype>(std::fread(bytes.data(), 1, bytes.size(), file)));
    return bytes;
}

// What a table of `records` shows when every 1024 of them take `pace`, ended with
// `passed` records of the file passed over (none: stopped by an error).
QByteArray Shown(const std::string& table, std::uint64_t total, int records,
                 std::chrono::milliseconds pace, std::optional<std::uint64_t> passed) {
    std::FILE* file = std::tmpfile();
    ProgressLine progress(file, &FakeClock);
    progress.startTable(table, total);
    for (int k = 1; k <= records; ++k) {
        if (k % 1024 == 0)
            fakeNow += pace;
        progress.recordDone();
    }
    progress.endTable(passed);
    const QByteArray text = Written(file);
    std::fclose(file);
    return text;
}

} // namespace

class ProgressLineTest : public QObject {
    Q_OBJECT

private slots:
    void aQuickTableShowsOnlyItsFinalCount() {
        QCOMPARE(Shown("t.dbf", 5000, 5000, 0ms, 5100),
                 "\rt.dbf: 5000 records delivered, 100 deleted left out, in 0.0 s\033[K\n");
    }

    // 100 000 records at 25 ms for every 1024: 2.4 s, so about a dozen lines, and never
    // two closer than 200 ms.
    void linesComeAtMostEvery200Milliseconds() {
        const QByteArray text = Shown("big.dbf", 100000, 100000, 25ms, 100000);
        const qsizetype lines = text.count('\r');
        QVERIFY2(lines >= 10 && lines <= 13, qPrintable(QString::number(lines)));
        QVERIFY2(text.contains("\rbig.dbf: 8% (8192 of 100000 records), 40960 records/s, 2.2 s "
                               "left\033[K"),
                 text.constData());
        QVERIFY2(text.contains("\rbig.dbf: 100000 records delivered, 0 deleted left out, in 2.4"),
                 text.constData());
    }

    // Long waits in hours and minutes; a table stopped by an error says nothing of deleted
    // records, whose count it never reached.
    void timesInReadableUnits() {
        const QByteArray text = Shown("slow.dbf", 1000000, 2048, 30s, std::nullopt);
        QVERIFY2(text.contains("\rslow.dbf: 0% (2048 of 1000000 records), 34 records/s, 8 h 7 min "
                               "left\033[K"),
                 text.constData());
        QVERIFY2(text.endsWith("\rslow.dbf: 2048 records delivered, in 1 min 0 s\033[K\n"),
                 text.constData());
    }
};

QTEST_GUILESS_MAIN(ProgressLineTest)
#include "ProgressLineTest.moc"
