// Tables read where they lie in memory: the same values as read the ordinary way, pages
// handed back and read again intact, and a file cut short under the reader reported as
// a read failure, never a dead program, whether mapped or read in windows.
#include "engine/dbf/MappedFile.h"
#include "DbfTestSupport.h"
#include "engine/dbf/DbfTable.h"
#include "samples/DbfWriter.h"

#include <memory>
#include <vector>

#include <sys/stat.h>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

// A Visual FoxPro table whose records point at memos with accents and apostrophes.
void WriteMemoTable(const std::filesystem::path& table, int records) {
    DbfWriter writer(0x30, 0x03);
    writer.setMemoFormat(MemoFormat::FoxPro, 64);
    writer.addField("NAME", 'C', 20).addField("NOTES", 'M', 4).addField("QTY", 'N', 8, 2);
    for (int i = 0; i < records; ++i) {
        const std::string note = "Note " + std::to_string(i) + ": it's urgent, K\xF6ln.";
        writer.addRecord({"M\xFCller " + std::to_string(i), MemoPointer(writer.addMemo(note), 4),
                          std::to_string(i % 1000) + ".25"});
    }
    writer.write(table, ".fpt");
}

std::string FileOf(std::size_t bytes) {
    std::string text(bytes, '\0');
    for (std::size_t i = 0; i < bytes; ++i)
        text[i] = static_cast<char>('a' + i % 26);
    return text;
}

} // namespace

class MappedFileTest : public QObject {
    Q_OBJECT

private slots:
    void pagesHandedBackReadAgainIntact();
    void tablesReadTheSameWhenNoMappingIsLeft();
    void fileCutShortWhileReadIsAReadFailure_data();
    void fileCutShortWhileReadIsAReadFailure();
    void onlyRegularFilesAreOpened();
};

void MappedFileTest::pagesHandedBackReadAgainIntact() {
    QTemporaryDir dir;
    const auto path = PathIn(dir, "big.bin");
    const std::string bytes = FileOf(std::size_t{20} * 1024 * 1024);
    WriteFile(path, bytes);
    const auto mapped = dbf::MappedFile::Map(path);
    if (!mapped)
        QSKIP("the temporary folder's file system is not mapped");
    QCOMPARE(mapped->size(), bytes.size());
    const std::string_view before(mapped->data(), 4096);
    QCOMPARE(before, std::string_view(bytes).substr(0, 4096));
    // More than the resident allowance: every page goes back, and reads come again.
    mapped->noteRead(bytes.size());
    QCOMPARE(std::string_view(mapped->data(), bytes.size()), std::string_view(bytes));
    QVERIFY(!mapped->cutShort());
}

void MappedFileTest::tablesReadTheSameWhenNoMappingIsLeft() {
    QTemporaryDir dir;
    const auto table = PathIn(dir, "notes.dbf");
    WriteMemoTable(table, 40000);
    if (!dbf::MappedFile::Map(table))
        QSKIP("the temporary folder's file system is not mapped");
    const auto mappedReading = ReadTable(table);
    QCOMPARE(mappedReading.error, std::string());
    QCOMPARE(mappedReading.records.size(), std::size_t{40000});
    QCOMPARE(mappedReading.records[7][1].text, std::string("Note 7: it's urgent, K\xC3\xB6ln."));

    // With every mapping taken, the table and its memo file are read the ordinary way.
    const auto other = PathIn(dir, "other.bin");
    WriteFile(other, FileOf(std::size_t{1024} * 1024));
    std::vector<std::unique_ptr<dbf::MappedFile>> held;
    while (auto mapping = dbf::MappedFile::Map(other))
        held.push_back(std::move(mapping));
    const auto streamedReading = ReadTable(table);
    held.clear();
    QCOMPARE(streamedReading.error, std::string());
    QVERIFY(streamedReading.records == mappedReading.records);
}

void MappedFileTest::fileCutShortWhileReadIsAReadFailure_data() {
    QTest::addColumn<bool>("mapped");
    QTest::addRow("mapped") << true;
    QTest::addRow("read the ordinary way") << false;
}

void MappedFileTest::fileCutShortWhileReadIsAReadFailure() {
    QFETCH(bool, mapped);
    QTemporaryDir dir;
    const auto table = PathIn(dir, "packed.dbf");
    WriteMemoTable(table, 40000);
    std::vector<std::unique_ptr<dbf::MappedFile>> held;
    if (!mapped) {
        const auto other = PathIn(dir, "other.bin");
        WriteFile(other, FileOf(std::size_t{1024} * 1024));
        while (auto mapping = dbf::MappedFile::Map(other))
            held.push_back(std::move(mapping));
    }
    dbf::DbfTable reader(table, {});
    QVERIFY(reader.next());
    // Another program packs the table while it is read: all but its header and first
    // records go. Mapped or not, the reader fails with a read error, and no record of
    // zeros comes out as data. (The cut lies on a page boundary: inside a page, the
    // system itself gives the rest of that page as zeros.)
    std::filesystem::resize_file(table, 3 * 4096);
    std::uint64_t delivered = 1;
    try {
        while (reader.next()) {
            QVERIFY(reader.values()[0].text.substr(0, 8) == "M\xC3\xBCller ");
            ++delivered;
        }
        QFAIL("the table read to its end after it was cut short");
    } catch (const TableError& error) {
        QCOMPARE(error.code(), TableErrorCode::ReadFailed);
    }
    QVERIFY(delivered < 40000);
}

// A folder or a pipe dropped in as a table is refused at once; opening a pipe to read
// would wait for a writer that never comes.
void MappedFileTest::onlyRegularFilesAreOpened() {
    QTemporaryDir dir;
    const auto folder = PathIn(dir, "folder.dbf");
    std::filesystem::create_directory(folder);
    QCOMPARE(ErrorOf(folder), std::optional(TableErrorCode::CannotOpen));
    const auto pipe = PathIn(dir, "pipe.dbf");
    if (::mkfifo(pipe.c_str(), 0600) != 0)
        QSKIP("this file system holds no named pipes");
    QCOMPARE(ErrorOf(pipe), std::optional(TableErrorCode::CannotOpen));
}

QTEST_GUILESS_MAIN(MappedFileTest)
#include "MappedFileTest.moc"
