#include "results/StatementStore.h"
#include "SampleStatements.h"

#include <QTest>

#include <string>
#include <vector>

using namespace tabrivel;

namespace {

using Texts = std::vector<std::string>;

std::vector<std::string> Contents(const StatementStore& store) {
    std::vector<std::string> texts;
    for (std::size_t row = 0; row < store.size(); ++row)
        texts.emplace_back(store.at(row));
    return texts;
}

// Sizes that land in a shared block, on the edge of one, and in blocks of their own.
Texts Mixed() {
    return {"INSERT INTO t ('1');",
            "",
            std::string(StatementStore::kOwnBlockFrom, 'a'),
            std::string(StatementStore::kOwnBlockFrom + 1, 'b'),
            "Zürich 東京 'O''Brien'",
            std::string(StatementStore::kMinBlock + 5, 'c'),
            "INSERT INTO t ('last');"};
}

} // namespace

class StatementStoreTest : public QObject {
    Q_OBJECT

private slots:
    void keepsEveryTextExactly() {
        StatementStore store;
        const Texts texts = Mixed();
        for (const std::string& text : texts)
            store.append(text);
        QCOMPARE(Contents(store), texts);
        std::size_t bytes = 0;
        for (const std::string& text : texts)
            bytes += text.size();
        QCOMPARE(store.textBytes(), bytes);
    }

    void fillsManyBlocks() {
        // Enough text to need several shared blocks, which also grow on the way.
        StatementStore store;
        testing::SampleStatements samples;
        for (int k = 0; k < 20000; ++k)
            store.append(samples.insert(k));
        QCOMPARE(store.size(), std::size_t(20000));
        for (int k : {0, 1, 4999, 12345, 19999})
            QCOMPARE(std::string(store.at(std::size_t(k))), samples.insert(k));
    }

    void erase_data() {
        QTest::addColumn<std::vector<int>>("erased");
        QTest::addRow("first") << std::vector<int>{0};
        QTest::addRow("last") << std::vector<int>{6};
        QTest::addRow("empty text") << std::vector<int>{1};
        QTest::addRow("one in a block of its own") << std::vector<int>{3};
        QTest::addRow("shared block, then its neighbours") << std::vector<int>{4, 0, 0};
        QTest::addRow("every row from the middle out") << std::vector<int>{3, 2, 3, 1, 1, 1, 0};
    }
    void erase() {
        QFETCH(std::vector<int>, erased);
        StatementStore store;
        Texts expected = Mixed();
        for (const std::string& text : expected)
            store.append(text);
        for (int row : erased) {
            store.erase(std::size_t(row));
            expected.erase(expected.begin() + row);
            QCOMPARE(Contents(store), expected);
        }
        // Appending after removals must not disturb what is left.
        store.append("INSERT INTO t ('after');");
        expected.push_back("INSERT INTO t ('after');");
        QCOMPARE(Contents(store), expected);
    }

    void eraseInTheMiddleOfAFullBlock() {
        StatementStore store;
        Texts expected;
        for (int k = 0; k < 3000; ++k) {
            expected.push_back("INSERT INTO t ('" + std::to_string(k) + "');");
            store.append(expected.back());
        }
        for (int row : {1500, 0, 2997, 700}) {
            store.erase(std::size_t(row));
            expected.erase(expected.begin() + row);
        }
        QCOMPARE(Contents(store), expected);
    }

    void removalsGiveBackTheMemory() {
        StatementStore store;
        testing::SampleStatements samples;
        for (int k = 0; k < 6000; ++k)
            store.append(samples.insert(k));
        for (int row = int(store.size()) - 2; row >= 0; row -= 2)
            store.erase(std::size_t(row));
        QCOMPARE(store.size(), std::size_t(3000));
        QCOMPARE(std::string(store.at(2999)), samples.insert(5999));
        // The block still being filled may stay as it is; the others must shrink.
        const double limit = 1.25 * double(store.textBytes()) + 16.0 * double(store.size()) +
                             double(StatementStore::kMinBlock);
        QVERIFY2(double(store.memoryBytes()) <= limit,
                 qPrintable(QString("%1 bytes for %2 bytes of text")
                                .arg(store.memoryBytes())
                                .arg(store.textBytes())));
    }

    void clearGivesBackTheMemory() {
        StatementStore store;
        const std::size_t empty = store.memoryBytes();
        for (int k = 0; k < 5000; ++k)
            store.append("INSERT INTO t ('x');");
        QVERIFY(store.memoryBytes() > empty + 5000 * 20);
        store.clear();
        QCOMPARE(store.size(), std::size_t(0));
        QCOMPARE(store.textBytes(), std::size_t(0));
        QCOMPARE(store.memoryBytes(), empty);
        store.append("again");
        QCOMPARE(std::string(store.at(0)), std::string("again"));
    }
};

QTEST_GUILESS_MAIN(StatementStoreTest)
#include "StatementStoreTest.moc"
