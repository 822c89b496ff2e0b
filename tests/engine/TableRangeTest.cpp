// A table read in ranges of its records, as the companion's workers read a large one,
// delivers together what it delivers whole: the same values and record numbers, each
// range's count of records known before it is read, and its losses where they occur.
#include "DbfTestSupport.h"
#include "samples/DbfWriter.h"

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

constexpr std::uint64_t kStored = 40;
constexpr std::uint64_t kClaimed = 43;

// Deleted records, memos, one memo beyond its file, text in a code page nothing names,
// and three records claimed that the file does not hold.
std::filesystem::path WriteTable(const QTemporaryDir& dir) {
    DbfWriter table(0x83, 0x00);
    table.addField("ID", 'N', 6).addField("NAME", 'C', 12).addField("NOTE", 'M', 10);
    for (std::uint64_t k = 1; k <= kStored; ++k) {
        const std::string id = std::to_string(k);
        std::string note;
        if (k == 13 || k == 31)
            note = MemoPointer(99999, 10);
        else if (k % 3 == 0)
            note = MemoPointer(table.addMemo("memo " + id), 10);
        table.addRecord({id, "caf\xe9 " + id, note}, k % 4 == 2);
    }
    table.setRecordCount(kClaimed);
    auto path = PathIn(dir, "ranges.dbf");
    table.write(path, ".dbt");
    return path;
}

struct Delivered {
    std::vector<OwnedRecord> records;
    std::vector<std::uint64_t> numbers;
};

void ReadInto(TableSource& table, Delivered& delivered) {
    while (table.next()) {
        OwnedRecord record;
        for (const Value& value : table.values())
            record.push_back({value.type, std::string(value.text)});
        delivered.records.push_back(std::move(record));
        delivered.numbers.push_back(table.recordNumber());
    }
}

std::uint64_t LostCount(std::span<const TableWarning> warnings, TableErrorCode code) {
    std::uint64_t count = 0;
    for (const TableWarning& warning : warnings)
        count += warning.code == code ? warning.count : 0;
    return count;
}

bool Notes(std::span<const TableWarning> warnings, TableErrorCode code) {
    return std::ranges::any_of(warnings, [code](const auto& w) { return w.code == code; });
}

} // namespace

Q_DECLARE_METATYPE(std::vector<std::uint64_t>)

class TableRangeTest : public QObject {
    Q_OBJECT

private slots:
    void rangesDeliverWhatTheWholeDelivers_data() {
        QTest::addColumn<std::vector<std::uint64_t>>("cuts");
        QTest::addColumn<bool>("deleted");
        QTest::addRow("one range") << std::vector<std::uint64_t>{0, kClaimed} << false;
        QTest::addRow("three ranges") << std::vector<std::uint64_t>{0, 11, 27, kClaimed} << false;
        QTest::addRow("empty ranges and one past the records")
            << std::vector<std::uint64_t>{0, 0, 1, 2, 39, 41, kClaimed} << false;
        QTest::addRow("deleted records delivered")
            << std::vector<std::uint64_t>{0, 6, 30, kClaimed} << true;
    }
    void rangesDeliverWhatTheWholeDelivers() {
        QFETCH(std::vector<std::uint64_t>, cuts);
        QFETCH(bool, deleted);
        const TableOpenOptions options{.encoding = {}, .deleted = deleted};
        const auto path = WriteTable(dir_);
        Delivered whole;
        const auto table = OpenTable(path, options);
        ReadInto(*table, whole);
        QVERIFY(Notes(table->warnings(), TableErrorCode::UnknownEncoding));

        const auto opened = OpenTable(path, options);
        Delivered inRanges;
        std::uint64_t memosLost = 0;
        for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
            const auto range = opened->openRange(cuts[k], cuts[k + 1]);
            QVERIFY(range);
            const std::uint64_t counted = range->recordsToDeliver();
            const std::size_t before = inRanges.records.size();
            ReadInto(*range, inRanges);
            QCOMPARE(inRanges.records.size() - before, counted);
            const auto noted = range->warnings();
            memosLost += LostCount(noted, TableErrorCode::MemoOutOfRange);
            // Only the range that reaches the table's end knows records are missing there.
            QCOMPARE(Notes(noted, TableErrorCode::TruncatedRecords), k + 2 == cuts.size());
        }
        QCOMPARE(inRanges.records, whole.records);
        QCOMPARE(inRanges.numbers, whole.numbers);
        QCOMPARE(memosLost, LostCount(table->warnings(), TableErrorCode::MemoOutOfRange));
        QCOMPARE(memosLost, 2u);
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(TableRangeTest)
#include "TableRangeTest.moc"
