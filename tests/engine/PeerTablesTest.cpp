// Real tables from other DBF readers' test folders: each reads to its end or fails
// with a TableError we expect, carries the warnings we expect, every value has its
// canonical form, and every cell a peer states (its record files, dumps, expected
// output, its own tests' assertions) agrees with ours unless the bytes say otherwise.
#include "DbfTestSupport.h"
#include "PeerExpectations.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <map>
#include <set>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

// Tables whose bytes cannot be read as a whole, and why, named by the peer's
// repository folder and the file name.
const std::map<QString, TableErrorCode>& ExpectedFailures() {
    static const std::map<QString, TableErrorCode> failures{
        // A header with no field descriptors at all.
        {"infused__dbf/polygon.dbf", TableErrorCode::BadFieldDescriptor},
    };
    return failures;
}

// Tables that are delivered with a loss, and the one warning each must carry.
const std::map<QString, TableErrorCode>& ExpectedWarnings() {
    static const std::map<QString, TableErrorCode> warnings{
        // Shipped without their memo files: every record, the memo values null.
        {"infused__dbf/dbase_83_missing_memo.dbf", TableErrorCode::MissingMemo},
        {"infused__dbf/dbase_8c.dbf", TableErrorCode::MissingMemo},
        {"olemb__dbfread/no_memofile.dbf", TableErrorCode::MissingMemo},
        // No code page declared, and text beyond ASCII: read by a guess, and said so. The
        // Catalan memos are cp850 ("m\x85quines" is "màquines"); the recipes hold two such
        // bytes, too few to tell, and stay windows-1252.
        {"infused__dbf/dbase_f5.dbf", TableErrorCode::UnknownEncoding},
        {"infused__dbf/dbase_83.dbf", TableErrorCode::UnknownEncoding},
    };
    return warnings;
}

// Cells (record, field) where a peer's expectation and the file's bytes disagree and we
// side with the bytes; why stands beside each.
const std::map<QString, std::set<std::pair<int, int>>>& Disagreements() {
    static const std::map<QString, std::set<std::pair<int, int>>> cells{
        // LENGTH is an F field of width 13 with 3 decimals whose bytes hold
        // "1.3945052E+02" and "1.5803342E+02": shapelib's dump prints three decimals, the
        // table stores five.
        // VOLTAGE and CMPN hold 30 blanks: shapelib calls a blank field NULL, the bytes
        // store an empty text, which is what we deliver.
        {"OSGeo__shapelib/pline.dbf", {{0, 4}, {0, 17}, {0, 18}, {1, 4}}},
    };
    return cells;
}

QString FixtureRoot() {
    return qEnvironmentVariable("TABRIVEL_PEER_FIXTURES");
}

bool HasCanonicalForm(const OwnedValue& value) {
    static const QRegularExpression number(R"(^-?(0|[1-9]\d*)(\.\d*[1-9])?$)");
    static const QRegularExpression date(R"(^\d{4}-\d{2}-\d{2}$)");
    static const QRegularExpression dateTime(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}$)");
    const auto text = QString::fromStdString(value.text);
    switch (value.type) {
    case ValueType::Null:
        return value.text.empty();
    case ValueType::Text:
        return QString::fromUtf8(value.text).toUtf8() == QByteArray::fromStdString(value.text);
    case ValueType::Number:
        return number.match(text).hasMatch() && text != "-0";
    case ValueType::Date:
        return date.match(text).hasMatch();
    case ValueType::DateTime:
        return dateTime.match(text).hasMatch();
    case ValueType::Logical:
        return text == "True" || text == "False";
    case ValueType::Binary:
        return true;
    }
    return false;
}

// Peers trim text and print numbers their own way; compare what the value means. A
// peer's null is only our null: blanks stored in a field are a value, not its absence.
bool SameValue(const OwnedValue& ours, const std::optional<QString>& theirs) {
    if (!theirs)
        return ours.type == ValueType::Null;
    const auto text = QString::fromStdString(ours.text);
    switch (ours.type) {
    case ValueType::Null:
        return theirs->isEmpty();
    case ValueType::Number:
        return text.toDouble() == theirs->toDouble();
    case ValueType::Logical:
        return text.compare(*theirs, Qt::CaseInsensitive) == 0;
    default:
        return text.trimmed() == theirs->trimmed();
    }
}

int SummaryRecordCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression records(R"(^Records:\s*(\d+))",
                                            QRegularExpression::MultilineOption);
    const auto match = records.match(QString::fromUtf8(file.readAll()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

class PeerTablesTest : public QObject {
    Q_OBJECT

private slots:
    void readsRealTable_data();
    void readsRealTable();

private:
    void ComparePeerCells(const QString& relative, const std::vector<OwnedRecord>& records);
};

void PeerTablesTest::readsRealTable_data() {
    QTest::addColumn<QString>("path");
    const auto root = FixtureRoot();
    if (root.isEmpty() || !QFileInfo(root).isDir())
        QSKIP("the peers' tables are not beside this checkout");
    QDirIterator it(root, {"*.dbf", "*.DBF"}, QDir::Files, QDirIterator::Subdirectories);
    QStringList paths;
    while (it.hasNext())
        paths << it.next();
    paths.sort();
    for (const auto& path : paths)
        QTest::addRow("%s", qPrintable(QDir(root).relativeFilePath(path))) << path;
}

void PeerTablesTest::readsRealTable() {
    QFETCH(QString, path);
    const auto relative = QDir(FixtureRoot()).relativeFilePath(path);
    const auto expected = ExpectedFailures().find(PeerKey(relative));
    if (expected != ExpectedFailures().end()) {
        QCOMPARE(ErrorOf(path.toStdString()), std::optional(expected->second));
        return;
    }
    const auto reading = ReadTable(path.toStdString());
    QVERIFY2(reading.error.empty(), reading.error.c_str());
    const auto& records = reading.records;
    std::vector<TableErrorCode> warnings;
    for (const auto& warning : reading.warnings)
        warnings.push_back(warning.code);
    const auto warned = ExpectedWarnings().find(PeerKey(relative));
    QCOMPARE(warnings, warned == ExpectedWarnings().end()
                           ? std::vector<TableErrorCode>{}
                           : std::vector<TableErrorCode>{warned->second});
    for (const auto& record : records)
        for (const auto& value : record)
            QVERIFY2(HasCanonicalForm(value), value.text.c_str());

    const auto stem = path.left(path.lastIndexOf('.'));
    if (const int count = SummaryRecordCount(stem + "_summary.txt"); count >= 0)
        QCOMPARE(static_cast<int>(records.size()), count);
    ComparePeerCells(relative, records);
}

// Every cell a peer states is compared with ours; the cells where we side with the bytes
// against the peer are listed in Disagreements() with the reason, and must differ.
void PeerTablesTest::ComparePeerCells(const QString& relative,
                                      const std::vector<OwnedRecord>& records) {
    const auto cells = PeerCells(FixtureRoot(), relative);
    if (cells.empty())
        return;
    std::set<std::pair<int, int>> differing;
    for (const auto& cell : cells) {
        QVERIFY2(cell.field >= 0, qPrintable(cell.source));
        QVERIFY2(cell.record < static_cast<int>(records.size()), qPrintable(cell.source));
        const auto& ours =
            records[static_cast<std::size_t>(cell.record)][static_cast<std::size_t>(cell.field)];
        if (!SameValue(ours, cell.expected)) {
            differing.insert({cell.record, cell.field});
            qInfo("peer-differs %s record %d field %d: ours [%s], theirs [%s] (%s)",
                  qPrintable(relative), cell.record, cell.field, ours.text.c_str(),
                  cell.expected ? qPrintable(*cell.expected) : "null", qPrintable(cell.source));
        }
    }
    qInfo("peer-cells %s compared %zu differ %zu", qPrintable(relative), cells.size(),
          differing.size());
    const auto known = Disagreements().find(PeerKey(relative));
    const std::set<std::pair<int, int>> expected =
        known == Disagreements().end() ? std::set<std::pair<int, int>>{} : known->second;
    QCOMPARE(differing, expected);
}

QTEST_GUILESS_MAIN(PeerTablesTest)
#include "PeerTablesTest.moc"
