#include "results/ThrottledYield.h"

#include <QThread>
#include <QtTest>

using namespace tabrivel;

class ThrottledYieldTest : public QObject {
    Q_OBJECT

private slots:
    void firstCallReachesTheWindowThenFewMore();
    void windowIsAskedAgainOnceTheIntervalPassed();
    void closingWindowAnswersFalseForGood();
};

void ThrottledYieldTest::firstCallReachesTheWindowThenFewMore() {
    int asked = 0;
    ThrottledYield yield([&] { return ++asked, true; });
    QVERIFY(yield());
    QCOMPARE(asked, 1);
    for (int k = 0; k < 100; ++k)
        QVERIFY(yield());
    QCOMPARE(asked, 1);
}

void ThrottledYieldTest::windowIsAskedAgainOnceTheIntervalPassed() {
    int asked = 0;
    ThrottledYield yield([&] { return ++asked, true; });
    QVERIFY(yield());
    QThread::usleep(2 * ThrottledYield::kIntervalNs / 1000);
    for (unsigned k = 0; k < ThrottledYield::kCallsPerClockRead; ++k)
        QVERIFY(yield());
    QCOMPARE(asked, 2);
}

void ThrottledYieldTest::closingWindowAnswersFalseForGood() {
    int asked = 0;
    ThrottledYield yield([&] { return ++asked, false; });
    QVERIFY(!yield());
    QThread::usleep(2 * ThrottledYield::kIntervalNs / 1000);
    for (unsigned k = 0; k < 2 * ThrottledYield::kCallsPerClockRead; ++k)
        QVERIFY(!yield());
    QCOMPARE(asked, 1);
}

QTEST_GUILESS_MAIN(ThrottledYieldTest)
#include "ThrottledYieldTest.moc"
