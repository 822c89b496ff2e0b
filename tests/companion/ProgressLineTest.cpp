#include "companion/ProgressLine.h"

#include <QTest>

#include <cstdio>

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

} // namespace

class ProgressLineTest : public QObject {
    Q_OBJECT

private slots:
    void aQuickTableShowsOnlyItsFinalCount() {
        std::FILE* file = std::tmpfile();
        ProgressLine progress(file, &FakeClock);
        progress.startTable("t.dbf", 5000);
        for (int k = 0; k < 5000; ++k)
            progress.recordDone();
        progress.endTable();
        const QByteArray text = Written(file);
        std::fclose(file);
        QCOMPARE(text.count('\r'), 1);
        QVERIFY2(text.startsWith("\rt.dbf: 5000 of 5000 records, "), text.constData());
        QVERIFY(text.endsWith("\n"));
    }

    // 100 000 records at 25 ms for every 1024: 2.4 s, so about a dozen lines, and never
    // two closer than 200 ms.
    void linesComeAtMostEvery200Milliseconds() {
        std::FILE* file = std::tmpfile();
        ProgressLine progress(file, &FakeClock);
        progress.startTable("big.dbf", 100000);
        for (int k = 1; k <= 100000; ++k) {
            if (k % 1024 == 0)
                fakeNow += 25ms;
            progress.recordDone();
        }
        progress.endTable();
        const QByteArray text = Written(file);
        std::fclose(file);
        const qsizetype lines = text.count('\r');
        QVERIFY2(lines >= 10 && lines <= 13, qPrintable(QString::number(lines)));
        QVERIFY(text.contains("\rbig.dbf: 8192 of 100000 records, 40960 records/s"));
        QVERIFY(text.contains("\rbig.dbf: 100000 of 100000 records, "));
    }
};

QTEST_GUILESS_MAIN(ProgressLineTest)
#include "ProgressLineTest.moc"
