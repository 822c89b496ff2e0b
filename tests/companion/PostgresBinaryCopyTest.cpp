// The direct route sends a table it creates in COPY's binary form, the script in COPY's
// text form: the server must hold the same values either way. Every fixture table, and a
// table of the values hardest to put into binary by hand (numbers of every shape, the
// ends of the date and integer ranges, memos long enough to go in pieces, with NULs and
// non-ASCII text), go both ways into one throw-away cluster and are compared cell by cell
// as PostgreSQL prints them.
#include "ClientRun.h"
#include "CompanionRunner.h"
#include "FixtureTables.h"
#include "PostgresCluster.h"
#include "samples/DbfWriter.h"

#include <QTemporaryDir>
#include <QTest>

#include <bit>
#include <cstdint>

using namespace tabrivel;
using namespace tabrivel::testing;
using std::string_literals::operator""s;

namespace {

std::string Little(std::uint64_t value, int bytes) {
    std::string out;
    for (int k = 0; k < bytes; ++k)
        out.push_back(static_cast<char>((value >> (8 * k)) & 0xFF));
    return out;
}

// Visual FoxPro fields whose values travel as numbers, dates and times.
void WriteEdgeValues(const std::filesystem::path& path) {
    DbfWriter w(0x30, 0x03);
    w.addField("WIDE", 'N', 26, 10).addField("WHOLE", 'N', 20).addField("DAY", 'D', 8);
    w.addField("ID", 'I', 4).addField("PRICE", 'Y', 8, 4).addField("WHEN", 'T', 8);
    w.addField("RATIO", 'B', 8, 2).addField("OK", 'L', 1);
    const auto add = [&w](std::string wide, std::string whole, std::string day, std::int32_t id,
                          std::int64_t price, std::uint32_t julian, std::uint32_t ms, double ratio,
                          std::string ok) {
        w.addRecord({std::move(wide), std::move(whole), std::move(day),
                     Little(static_cast<std::uint32_t>(id), 4),
                     Little(static_cast<std::uint64_t>(price), 8),
                     Little(julian, 4) + Little(ms, 4),
                     Little(std::bit_cast<std::uint64_t>(ratio), 8), std::move(ok)});
    };
    add("0", "0", "00010101", 0, 0, 1721426, 0, 0.0, "T");
    add("-0.0000000001", "-1", "20000101", -2147483647 - 1, INT64_MIN, 2451545, 86'399'999, -0.5,
        "F");
    add("12345678901234.5678901234", "99999999999999999999", "19000228", 2147483647, INT64_MAX,
        2440588, 1, 1e300, "?");
    add("-.5", "10000", "99991231", 10000, 10000, 5373484, 43'200'000, 1.0 / 3, " ");
    add("1.111049E-01", "100000001", "20240229", -1, -1, 2460370, 999, -2.5e-308, "y");
    add("  abc", "", "20230230", 9999, 99990000, 0, 0, 123456789.125, "n");
    w.write(path);
}

// Memos longer than a piece of the reader's: text with NULs and non-ASCII, and bytes.
void WriteLongMemos(const std::filesystem::path& path) {
    DbfWriter w(0xF5, 0x03);
    w.setMemoFormat(MemoFormat::FoxPro, 64);
    w.addField("NOTE", 'M', 10).addField("PIC", 'G', 10);
    std::string text;
    for (int k = 0; text.size() < (3u << 20); ++k)
        text += "line " + std::to_string(k) + " caf\xE9 \0 it's\t\\N\r\n"s;
    std::string bytes(5u << 19, '\0');
    for (std::size_t k = 0; k < bytes.size(); ++k)
        bytes[k] = static_cast<char>(k * 7 % 251);
    w.addRecord({MemoPointer(w.addMemo(text), 10), MemoPointer(w.addMemo(bytes, 0), 10)});
    w.addRecord({MemoPointer(w.addMemo("short"), 10), ""});
    w.write(path, ".fpt");
}

} // namespace

class PostgresBinaryCopyTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        postgres_ = std::make_unique<PostgresCluster>();
        QVERIFY2(postgres_->failure().isEmpty(), qPrintable(postgres_->failure()));
        conninfo_ = postgres_->conninfo();
        const std::filesystem::path folder = dir_.path().toStdString();
        for (const FixtureTable& table : WriteFixtureTables(folder))
            tables_.push_back(table.fileName);
        WriteEdgeValues(folder / "edges.dbf");
        WriteLongMemos(folder / "longmemo.dbf");
        tables_.insert(tables_.end(), {"edges.dbf", "longmemo.dbf"});
    }
    void cleanupTestCase() { postgres_.reset(); }

    void bothFormsLoadTheSameValues_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addRow("loading form") << QStringList{};
        QTest::addRow("blanks kept, names as stored") << QStringList{"--no-trim", "--keep-case"};
    }
    void bothFormsLoadTheSameValues() {
        QFETCH(QStringList, options);
        std::vector<std::string> extra;
        for (const QString& option : options)
            extra.push_back(option.toStdString());
        postgres_->execute("DROP SCHEMA IF EXISTS viatext CASCADE");
        postgres_->execute("DROP SCHEMA IF EXISTS viabinary CASCADE");
        const CompanionResult script = run({"--to", "postgresql", "--schema", "viatext"}, extra);
        QCOMPARE(script.status, 1); // the fixtures lose values on purpose, and say so
        const ClientRun loaded = PipeScriptInto(
            postgres_->tool("psql"), QStringList{"-X", "-q"} + postgres_->clientArguments(),
            dir_.filePath("out.sql"), dir_.path());
        QVERIFY2(loaded.succeeded(), qPrintable(loaded.errors));
        const CompanionResult direct =
            run({"--postgresql", conninfo_, "--schema", "viabinary", "--verify"}, extra);
        QCOMPARE(direct.status, 1);
        QVERIFY2(direct.errors.find("differ") == std::string::npos, direct.errors.c_str());
        const auto names = postgres_->query(
            "select table_name from information_schema.tables where table_schema = 'viatext'");
        QCOMPARE(names.rows.size(), tables_.size());
        for (const auto& name : names.rows)
            compareTable(*name.at(0));
    }

    // A table loaded into as it stands keeps the text form: its columns need not be of
    // the types this load would give them, and the server converts text to any of them.
    void appendingIntoOtherTypesStillLoads() {
        postgres_->execute("DROP SCHEMA IF EXISTS other CASCADE");
        postgres_->execute("CREATE SCHEMA other");
        postgres_->execute("CREATE TABLE other.edges (wide text, whole float8, day text, id "
                           "numeric, price text, \"when\" text, ratio text, ok text)");
        const CompanionResult appended =
            run({"--postgresql", conninfo_, "--schema", "other", "--append"}, {}, "edges.dbf");
        QVERIFY2(appended.errors.find("cannot") == std::string::npos, appended.errors.c_str());
        const auto rows = postgres_->query("select day, ok from other.edges order by ctid");
        QVERIFY2(rows.error.empty(), rows.error.c_str());
        QCOMPARE(rows.rows.size(), std::size_t{6});
        QCOMPARE(*rows.rows.at(0).at(0), std::string("0001-01-01"));
        QCOMPARE(*rows.rows.at(0).at(1), std::string("t"));
    }

private:
    // Every table, or the one named.
    CompanionResult run(std::vector<std::string> arguments, const std::vector<std::string>& extra,
                        const std::string& only = {}) const {
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        for (const std::string& table : tables_)
            if (only.empty() || table == only)
                arguments.push_back(dir_.filePath(QString::fromStdString(table)).toStdString());
        return RunCompanionInto(dir_.path(), arguments);
    }

    void compareTable(const std::string& table) const {
        const std::string rows = "select * from %1." + table + " order by ctid";
        const auto text =
            postgres_->query(QString::fromStdString(rows).arg("viatext").toStdString());
        const auto binary =
            postgres_->query(QString::fromStdString(rows).arg("viabinary").toStdString());
        QVERIFY2(text.error.empty() && binary.error.empty(), (text.error + binary.error).c_str());
        QVERIFY2(!text.rows.empty(), table.c_str());
        QCOMPARE(binary.rows.size(), text.rows.size());
        for (std::size_t r = 0; r < text.rows.size(); ++r)
            for (std::size_t c = 0; c < text.rows[r].size(); ++c) {
                const auto& want = text.rows[r][c];
                const auto& got = binary.rows[r].at(c);
                const std::string where = table + " row " + std::to_string(r + 1) + " column " +
                                          std::to_string(c + 1) + ": " +
                                          (want ? want->substr(0, 80) : "NULL") + " | " +
                                          (got ? got->substr(0, 80) : "NULL");
                QVERIFY2(want == got, where.c_str());
            }
    }

    std::unique_ptr<PostgresCluster> postgres_;
    QTemporaryDir dir_;
    std::string conninfo_;
    std::vector<std::string> tables_;
};

QTEST_GUILESS_MAIN(PostgresBinaryCopyTest)

#include "PostgresBinaryCopyTest.moc"
