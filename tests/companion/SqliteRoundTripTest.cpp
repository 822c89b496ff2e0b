// Converted scripts loaded into SQLite: every statement must run on its own, and every
// cell must hold exactly what the reader delivered for it. Catches quoting that breaks
// a statement (or lets a value write SQL), values lost or shifted between columns, and
// text mangled on its way into the script.
#include "Conversion.h"
#include "DbfWriter.h"
#include "TableError.h"
#include "TableReading.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <memory>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

using std::string_literals::operator""s;

constexpr std::uint8_t kNullable = 0x02;

struct Fixture {
    DbfWriter table;
    std::string memoExtension;
};

// dBase III text that tries to break out of its quotes, in cp1252.
Fixture DBase3Text() {
    DbfWriter w(0x03, 0x03);
    w.addField("NAME", 'C', 24).addField("AMOUNT", 'N', 9, 2).addField("BORN", 'D', 8);
    w.addField("OK", 'L', 1);
    w.addRecord({"O'Brien", "  -120.50", "19991231", "T"});
    w.addRecord({"'); DROP TABLE x; --", "", "        ", "?"});
    w.addRecord({"gone", "1", "20000101", "F"}, true);
    w.addRecord({"M\xFCller \x80 caf\xE9", "1,5", "20211345", "y"});
    w.addRecord({"", "*********", "00000000", " "});
    w.addRecord({"''", "    0.00", "20240229", "n"});
    w.addRecord({"a\0b\0"s, "abc", "1999", "N"});
    return {w, ""};
}

// Cyrillic text in cp866: every character becomes two bytes of UTF-8.
Fixture Cyrillic() {
    DbfWriter w(0x03, 0x65);
    w.addField("CITY", 'C', 10).addField("CODE", 'C', 3);
    w.addRecord({"\x8C\xAE\xE1\xAA\xA2\xA0", "\"x\""});
    w.addRecord({"\x8A\xA8\xA5\xA2 '", "\"\"\""});
    return {w, ""};
}

// dBase III memos: line breaks, apostrophes, a memo spanning blocks, no memo at all.
Fixture DBase3Memo() {
    DbfWriter w(0x83);
    w.addField("ID", 'N', 3).addField("NOTE", 'M', 10);
    w.addRecord({"  1", MemoPointer(w.addMemo("first line\r\nit's\nthe second\r"), 10)});
    w.addRecord({"  2", MemoPointer(w.addMemo(std::string(1500, 'x') + "'end"), 10)});
    w.addRecord({"  3", ""});
    w.addRecord({"  4", MemoPointer(w.addMemo(""), 10)});
    return {w, ".dbt"};
}

// FoxPro 2 memos holding NUL bytes, non-ASCII text and an empty memo.
Fixture FoxProMemo() {
    DbfWriter w(0xF5, 0x03);
    w.setMemoFormat(MemoFormat::FoxPro, 64);
    w.addField("NAME", 'C', 8).addField("NOTE", 'M', 10).addField("PIC", 'G', 10);
    w.addRecord({"a'b", MemoPointer(w.addMemo("nul\0inside\0"s), 10),
                 MemoPointer(w.addMemo("\x01\x02'\xFF", 0), 10)});
    w.addRecord(
        {"", MemoPointer(w.addMemo("Gr\xFC\xDF\x65 \x93quoted\x94\r\n"), 10), MemoPointer(0, 10)});
    w.addRecord({"x", MemoPointer(w.addMemo(""), 10), ""});
    return {w, ".fpt"};
}

// Visual FoxPro binary fields, nullable fields with their flags, varchar, memos in
// one-byte blocks.
Fixture VisualFoxPro() {
    DbfWriter w(0x32, 0x03);
    w.setMemoFormat(MemoFormat::FoxPro, 1);
    w.addField("ID", 'I', 4).addField("PRICE", 'Y', 8).addField("WHEN", 'T', 8);
    w.addField("RATIO", 'B', 8, 2).addField("NAME", 'V', 10, 0, kNullable);
    w.addField("NOTE", 'M', 4, 0, kNullable).addField("DAY", 'D', 8, 0, kNullable);
    w.addField("_NullFlags", '0', 1, 0, 0x05);
    w.addRecord({Little32(0xFFFFFFFF), Little64(123456789), Little32(2459000) + Little32(3600000),
                 LittleDouble(-2.5), "it's\0\0\0\0\0\x04"s, Little32(w.addMemo("a\r\nb'\0c"s)),
                 "20240131", "\x02"});
    w.addRecord({Little32(7), Little64(static_cast<std::uint64_t>(-1)), std::string(8, '\0'),
                 LittleDouble(1e300), "", Little32(0), "", "\x0D"});
    w.addRecord({Little32(0), Little64(0), Little32(2451545) + Little32(0), LittleDouble(0),
                 "0123456789", Little32(w.addMemo("")), "        ", "\x00"s});
    return {w, ".fpt"};
}

struct Database {
    std::unique_ptr<sqlite3, decltype(&sqlite3_close)> handle{nullptr, sqlite3_close};

    Database() {
        sqlite3* db = nullptr;
        sqlite3_open(":memory:", &db);
        handle.reset(db);
    }
    sqlite3* get() const { return handle.get(); }
};

using Statement = std::unique_ptr<sqlite3_stmt, decltype(&sqlite3_finalize)>;

// Runs exactly one statement; the whole text must be that one statement, so a value
// can never end it early and start another.
QString RunOne(sqlite3* db, std::string_view sql) {
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, &tail) != SQLITE_OK)
        return QString::fromUtf8(sqlite3_errmsg(db));
    Statement statement(raw, sqlite3_finalize);
    if (tail != sql.data() + sql.size())
        return "more than one statement: " + QString::fromUtf8(tail);
    if (sqlite3_step(raw) != SQLITE_DONE)
        return QString::fromUtf8(sqlite3_errmsg(db));
    return {};
}

// A name part inside double quotes, its own double quotes doubled.
std::string Doubled(QString part) {
    return part.replace('"', "\"\"").toStdString();
}

// The statements list their values without the VALUES keyword, which SQLite needs.
// Only the exact expected prefix is rewritten, so a value can never be mistaken for it;
// a statement under any other name is left alone and fails loudly.
std::string ForSqlite(std::string_view sql, const std::string& qualifiedName) {
    const std::string prefix = "INSERT INTO " + qualifiedName + " (";
    if (!sql.starts_with(prefix))
        return std::string(sql);
    return "INSERT INTO " + qualifiedName + " VALUES (" + std::string(sql.substr(prefix.size()));
}

// What the script must carry for a value: text without its NUL characters, every
// other kind as the value format writes it.
std::string ExpectedCell(const OwnedValue& value) {
    if (value.type != ValueType::Text)
        return ValueText(Value::of(value.type, value.text), ValueFormat());
    std::string text;
    for (char c : value.text)
        if (c != '\0')
            text.push_back(c);
    return text;
}

std::vector<std::vector<std::string>> ExpectedCells(const std::vector<OwnedRecord>& records) {
    std::vector<std::vector<std::string>> rows;
    for (const auto& record : records) {
        rows.emplace_back();
        for (const auto& value : record)
            rows.back().push_back(ExpectedCell(value));
    }
    return rows;
}

std::vector<std::vector<std::string>> StoredCells(sqlite3* db, const std::string& table) {
    std::vector<std::vector<std::string>> rows;
    sqlite3_stmt* raw = nullptr;
    const std::string query = "SELECT * FROM " + table + " ORDER BY rowid";
    if (sqlite3_prepare_v2(db, query.c_str(), -1, &raw, nullptr) != SQLITE_OK)
        return rows;
    Statement statement(raw, sqlite3_finalize);
    while (sqlite3_step(raw) == SQLITE_ROW) {
        rows.emplace_back();
        for (int column = 0; column < sqlite3_column_count(raw); ++column) {
            // A NULL or a number where text belongs would show here as a marker.
            const int type = sqlite3_column_type(raw, column);
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(raw, column));
            const int bytes = sqlite3_column_bytes(raw, column);
            rows.back().push_back(type != SQLITE_TEXT
                                      ? "<not text>"
                                      : std::string(text, static_cast<std::size_t>(bytes)));
        }
    }
    return rows;
}

} // namespace

using FixtureMaker = Fixture (*)();
Q_DECLARE_METATYPE(FixtureMaker)

class SqliteRoundTripTest : public QObject {
    Q_OBJECT

private slots:
    void everyCellSurvives_data();
    void everyCellSurvives();
    void realTablesSurvive_data();
    void realTablesSurvive();

private:
    void roundTrip(const std::filesystem::path& path, const QString& baseName,
                   const QString& tableName);

    QTemporaryDir dir_;
};

void SqliteRoundTripTest::everyCellSurvives_data() {
    QTest::addColumn<FixtureMaker>("make");
    QTest::addColumn<QString>("baseName");
    QTest::addColumn<QString>("tableName");

    QTest::addRow("dBase III text with apostrophes") << FixtureMaker(&DBase3Text) << "people"
                                                     << "Table1";
    QTest::addRow("cp866 text, quotes in values and names")
        << FixtureMaker(&Cyrillic) << "say \"hi\""
        << "T\"1";
    QTest::addRow("dBase III memos") << FixtureMaker(&DBase3Memo) << "notes"
                                     << "Table1";
    QTest::addRow("FoxPro memos with NUL bytes") << FixtureMaker(&FoxProMemo) << "memos"
                                                 << "Table1";
    QTest::addRow("Visual FoxPro binary and nullable fields")
        << FixtureMaker(&VisualFoxPro) << "Gr\u00FC\u00DFe"
        << "Table1";
}

void SqliteRoundTripTest::everyCellSurvives() {
    QFETCH(FixtureMaker, make);
    QFETCH(QString, baseName);
    QFETCH(QString, tableName);

    const Fixture fixture = make();
    const std::filesystem::path path =
        std::filesystem::path(dir_.path().toStdString()) / (QTest::currentDataTag() + ".dbf"s);
    fixture.table.write(path, fixture.memoExtension);
    QVERIFY(!ReadAllRecords(path).empty());
    roundTrip(path, baseName, tableName);
}

// Tables written by many programs, from other readers' test folders. A table the
// reader refuses is not this test's business: it only checks what was read.
void SqliteRoundTripTest::realTablesSurvive_data() {
    QTest::addColumn<QString>("path");
    const QString folder = qEnvironmentVariable("TABRIVEL_PEER_FIXTURES");
    if (folder.isEmpty() || !std::filesystem::is_directory(folder.toStdString()))
        QSKIP("the real tables are not at hand");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.toStdString())) {
        const QString name = QString::fromStdString(entry.path().string());
        if (name.endsWith(".dbf", Qt::CaseInsensitive))
            QTest::addRow("%s", qPrintable(name.mid(folder.size() + 1))) << name;
    }
}

void SqliteRoundTripTest::realTablesSurvive() {
    QFETCH(QString, path);
    try {
        ReadAllRecords(path.toStdString());
    } catch (const TableError& error) {
        QSKIP(error.what());
    }
    roundTrip(path.toStdString(), QFileInfo(path).completeBaseName(), "Table1");
}

void SqliteRoundTripTest::roundTrip(const std::filesystem::path& path, const QString& baseName,
                                    const QString& tableName) {
    const auto records = ReadAllRecords(path);

    const std::string table = "\"" + Doubled(tableName) + "_" + Doubled(baseName) + "\"";
    ConversionOptions options;
    options.delimiter = "\"";
    options.tableName = tableName.toStdString();
    Database db;
    QStringList failures;
    ConvertTable(path, baseName.toStdString(), options, ValueFormat(), [&](std::string_view sql) {
        const QString failure = RunOne(db.get(), ForSqlite(sql, table));
        if (!failure.isEmpty())
            failures << failure + " in " + QString::fromUtf8(sql.data(), sql.size());
    });
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));

    const auto stored = StoredCells(db.get(), table);
    const auto expected = ExpectedCells(records);
    QCOMPARE(stored.size(), expected.size());
    for (std::size_t row = 0; row < expected.size(); ++row) {
        QCOMPARE(stored[row].size(), expected[row].size());
        for (std::size_t column = 0; column < expected[row].size(); ++column) {
            const auto where = QString("row %1, column %2").arg(row + 1).arg(column + 1);
            QVERIFY2(stored[row][column] == expected[row][column],
                     qPrintable(where + ": stored \"" +
                                QString::fromStdString(stored[row][column]) + "\", read \"" +
                                QString::fromStdString(expected[row][column]) + "\""));
        }
    }
}

QTEST_GUILESS_MAIN(SqliteRoundTripTest)
#include "SqliteRoundTripTest.moc"
