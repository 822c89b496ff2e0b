// Pieces handed to the output whole keep their place among the text written around them,
// however many system calls they take, and a write that fails is never taken for done.
#include "companion/ScriptSink.h"

#include "StreamContents.h"

#include <QTest>

#include <cstdio>
#include <string>

using namespace tabrivel;

namespace {

std::string PieceNumber(int k, std::size_t length) {
    std::string piece = std::to_string(k) + ":";
    piece.resize(length, static_cast<char>('a' + k % 26));
    return piece;
}

} // namespace

class ScriptSinkTest : public QObject {
    Q_OBJECT

private slots:
    void gatheredPiecesKeepTheirPlace_data() {
        QTest::addColumn<int>("pieces");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("ownTextEvery");
        QTest::addColumn<int>("throughEvery"); // pieces written through, not kept; 0: none
        // More pieces between two texts of the buffer's own than one call may take.
        QTest::addRow("thousands of small pieces") << 3000 << 7 << 1500 << 0;
        // Several megabytes: written out as they grow, between the buffer's own text.
        QTest::addRow("large pieces") << 40 << 300000 << 7 << 0;
        // Written through between gathered pieces and the buffer's own text.
        QTest::addRow("some pieces written through") << 3000 << 70 << 5 << 3;
    }

    void gatheredPiecesKeepTheirPlace() {
        QFETCH(int, pieces);
        QFETCH(int, length);
        QFETCH(int, ownTextEvery);
        QFETCH(int, throughEvery);
        std::FILE* file = std::tmpfile();
        std::string expected;
        std::size_t gathered = 0;
        {
            ScriptSink sink(file);
            for (int k = 0; k < pieces; ++k) {
                if (k % ownTextEvery == 0) {
                    const std::string own = "<" + std::to_string(k) + ">";
                    sink.buffer() += own;
                    expected += own;
                }
                const std::string piece = PieceNumber(k, static_cast<std::size_t>(length));
                expected += piece;
                if (throughEvery > 0 && k % throughEvery == 1) {
                    sink.writeThrough(piece);
                } else {
                    sink.gather(std::string(piece));
                    ++gathered;
                }
            }
            sink.buffer() += "end";
            expected += "end";
            sink.commit();
            // Spare buffers go back to workers, who append to them: one holding its old
            // bytes would put them in front of the next piece.
            const auto spent = sink.takeSpent();
            QCOMPARE(spent.size(), gathered);
            for (const std::string& buffer : spent)
                QVERIFY(buffer.empty());
        }
        QCOMPARE(StreamContents(file), expected);
        std::fclose(file);
    }

    void failedWriteOfGatheredPiecesIsReported() {
        ScriptSink sink(std::string("/dev/full"));
        bool failed = false;
        try {
            for (int k = 0; k < 8; ++k)
                sink.gather(PieceNumber(k, 300000));
            sink.commit();
        } catch (const WriteFailed&) {
            failed = true;
        }
        QVERIFY(failed);
    }
};

QTEST_GUILESS_MAIN(ScriptSinkTest)
#include "ScriptSinkTest.moc"
