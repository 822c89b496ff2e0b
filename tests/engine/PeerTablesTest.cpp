// Real tables from other DBF readers' test folders: each reads to its end or fails
// with a TableError we expect, every value has its canonical form, and where the
// peer ships record counts or whole records, ours agree with the file's bytes.
#include "DbfTestSupport.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <map>

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
    };
    return warnings;
}

QString PeerKey(const QString& relativePath) {
    return relativePath.section('/', 0, 0) + '/' + relativePath.section('/', -1);
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

QString Unquoted(QString item) {
    if (item.startsWith('\'') && item.endsWith('\''))
        return item.mid(1, item.size() - 2).replace("''", "'");
    if (item.startsWith('"') && item.endsWith('"'))
        return item.mid(1, item.size() - 2)
            .replace("\\r", "\r")
            .replace("\\n", "\n")
            .replace("\\\"", "\"")
            .replace("\\\\", "\\");
    return item;
}

// The scalars of a peer's one-record YAML list: plain, 'single' or "double" quoted;
// a double-quoted scalar may fold over several lines.
QStringList YamlList(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList items;
    QString open; // a double-quoted scalar still waiting for its closing quote
    for (const auto& line : QString::fromUtf8(file.readAll()).split('\n')) {
        auto trimmed = line.trimmed();
        if (!open.isEmpty()) {
            // A line break folds into a blank, unless escaped by a final backslash.
            if (open.endsWith('\\'))
                open.chop(1);
            else
                open += ' ';
            open += trimmed;
        } else if (trimmed.startsWith("- ")) {
            open = trimmed.mid(2);
        } else if (trimmed == "-") { // an empty scalar: null
            items << QString();
            continue;
        } else {
            continue;
        }
        if (open.startsWith('"') &&
            (open.size() < 2 || !open.endsWith('"') || open.endsWith("\\\"")))
            continue;
        items << Unquoted(open);
        open.clear();
    }
    return items;
}

// Peers trim text and print numbers their own way; compare what the value means.
bool SameValue(const OwnedValue& ours, const QString& theirs) {
    const auto text = QString::fromStdString(ours.text);
    switch (ours.type) {
    case ValueType::Null:
        return theirs.isEmpty() || theirs == "~" || theirs == "null";
    case ValueType::Number:
        return text.toDouble() == theirs.toDouble();
    case ValueType::Logical:
        return text.compare(theirs, Qt::CaseInsensitive) == 0;
    default:
        return text.trimmed() == theirs.trimmed();
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
    for (int index : {0, 9}) {
        const auto items = YamlList(stem + QString("_record_%1.yml").arg(index));
        if (items.isEmpty())
            continue;
        const auto& record = records.at(static_cast<std::size_t>(index));
        QCOMPARE(static_cast<qsizetype>(record.size()), items.size());
        for (qsizetype k = 0; k < items.size(); ++k)
            QVERIFY2(SameValue(record[static_cast<std::size_t>(k)], items[k]),
                     qPrintable(QString("field %1: ours [%2], theirs [%3]")
                                    .arg(k)
                                    .arg(QString::fromStdString(record[k].text), items[k])));
    }
}

QTEST_GUILESS_MAIN(PeerTablesTest)
#include "PeerTablesTest.moc"
