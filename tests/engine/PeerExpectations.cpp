#include "PeerExpectations.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace tabrivel::testing {
namespace {

// An assertion from a peer's own test suite, by field name.
struct Transcribed {
    const char* table; // the peer's folder and the file name (as PeerKey gives them)
    int record;
    const char* field;
    const char* expected; // null: the peer expects null
    const char* source;
};

// clang-format off
const Transcribed kTranscribed[] = {
    {"infused__dbf/dbase_03_cyrillic.dbf", 0, "ШАР", "Номер", "infused/dbf encoding_spec.rb:24"},
    {"infused__dbf/cp1251.dbf", 0, "NAME", "амбулаторно-поликлиническое", "infused/dbf encoding_spec.rb:46"},
    {"infused__dbf/mazovia.dbf", 0, "A2", "English", "infused/dbf encoding_spec.rb:63"},
    {"infused__dbf/mazovia.dbf", 1, "A2", "Ś╫êëτ⌡ś", "infused/dbf encoding_spec.rb:64"},
    {"olemb__dbfread/tests/cases/memotest.dbf", 0, "NAME", "Alice", "olemb/dbfread tests/test_read_and_length.py:20"},
    {"olemb__dbfread/tests/cases/memotest.dbf", 0, "BIRTHDATE", "1987-03-01", "olemb/dbfread tests/test_read_and_length.py:21"},
    {"olemb__dbfread/tests/cases/memotest.dbf", 0, "MEMO", "Alice memo", "olemb/dbfread tests/test_read_and_length.py:22"},
    {"olemb__dbfread/tests/cases/memotest.dbf", 1, "NAME", "Bob", "olemb/dbfread tests/test_read_and_length.py:23"},
    {"olemb__dbfread/tests/cases/memotest.dbf", 1, "BIRTHDATE", "1980-11-12", "olemb/dbfread tests/test_read_and_length.py:24"},
    {"olemb__dbfread/tests/cases/memotest.dbf", 1, "MEMO", "Bob memo", "olemb/dbfread tests/test_read_and_length.py:25"},
    {"olemb__dbfread/tests/cases/no_memofile.dbf", 0, "MEMO", nullptr, "olemb/dbfread tests/test_memo.py:17"},
    {"tmontaigu__dbase-rs/tests/data/contain_none_float.dbf", 0, "name", "tralala", "tmontaigu/dbase-rs tests/tests.rs:22"},
    {"tmontaigu__dbase-rs/tests/data/contain_none_float.dbf", 0, "value_f", "12.345", "tmontaigu/dbase-rs tests/tests.rs:26"},
    {"tmontaigu__dbase-rs/tests/data/contain_none_float.dbf", 0, "value_f_non", nullptr, "tmontaigu/dbase-rs tests/tests.rs:30"},
    {"tmontaigu__dbase-rs/tests/data/contain_none_float.dbf", 0, "value_n", "4", "tmontaigu/dbase-rs tests/tests.rs:34"},
    {"tmontaigu__dbase-rs/tests/data/contain_none_float.dbf", 0, "value_n_non", nullptr, "tmontaigu/dbase-rs tests/tests.rs:38"},
    {"tmontaigu__dbase-rs/tests/data/line.dbf", 0, "name", "linestring1", "tmontaigu/dbase-rs tests/tests.rs:51"},
    {"tmontaigu__dbase-rs/tests/data/stations.dbf", 3, "marker-col", "#ff0000", "tmontaigu/dbase-rs tests/test_file.rs:41"},
    {"tmontaigu__dbase-rs/tests/data/stations.dbf", 3, "name", "Judiciary Sq", "tmontaigu/dbase-rs tests/test_file.rs:46"},
    {"tmontaigu__dbase-rs/tests/data/stations.dbf", 3, "marker-sym", "rail-metro", "tmontaigu/dbase-rs tests/test_file.rs:51"},
    {"tmontaigu__dbase-rs/tests/data/stations.dbf", 0, "marker-col", "#0000ff", "tmontaigu/dbase-rs tests/test_file.rs:58"},
    {"tmontaigu__dbase-rs/tests/data/stations.dbf", 0, "name", "Van Dorn Street", "tmontaigu/dbase-rs tests/test_file.rs:60"},
    {"tmontaigu__dbase-rs/tests/data/stations.dbf", 0, "marker-sym", "rail-metro", "tmontaigu/dbase-rs tests/test_file.rs:62"},
    {"tmontaigu__dbase-rs/tests/data/stations.dbf", 5, "name", "Metro Center", "tmontaigu/dbase-rs tests/test_file.rs:68"},
    {"tmontaigu__dbase-rs/tests/data/stations.dbf", 5, "marker-col", "#ff0000", "tmontaigu/dbase-rs tests/test_file.rs:72"},
    {"tmontaigu__dbase-rs/tests/data/stations.dbf", 5, "marker-sym", "rail-metro", "tmontaigu/dbase-rs tests/test_file.rs:76"},
    {"tmontaigu__dbase-rs/tests/data/stations.dbf", 5, "line", "red", "tmontaigu/dbase-rs tests/test_file.rs:80"},
};
// clang-format on

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
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

std::optional<QString> YamlScalar(const QString& item) {
    if (item.isEmpty() || item == "~" || item == "null")
        return std::nullopt;
    return Unquoted(item);
}

// The scalars of a peer's one-record YAML list: plain, 'single' or "double" quoted; a
// double-quoted scalar may fold over several lines; "-" alone is null.
std::vector<std::optional<QString>> YamlList(const QString& path) {
    std::vector<std::optional<QString>> items;
    QString open; // a double-quoted scalar still waiting for its closing quote
    for (const auto& line : ReadText(path).split('\n')) {
        const auto trimmed = line.trimmed();
        if (!open.isEmpty()) {
            // A line break folds into a blank, unless escaped by a final backslash.
            if (open.endsWith('\\'))
                open.chop(1);
            else
                open += ' ';
            open += trimmed;
        } else if (trimmed == "-") {
            items.push_back(std::nullopt);
            continue;
        } else if (trimmed.startsWith("- ")) {
            open = trimmed.mid(2);
        } else {
            continue;
        }
        if (open.startsWith('"') &&
            (open.size() < 2 || !open.endsWith('"') || open.endsWith("\\\"")))
            continue;
        items.push_back(YamlScalar(open));
        open.clear();
    }
    return items;
}

void AddYamlRecords(const QString& stem, const QString& shownStem, std::vector<PeerCell>& cells) {
    for (int index : {0, 9}) {
        const auto name = QString("_record_%1.yml").arg(index);
        const auto items = YamlList(stem + name);
        for (std::size_t k = 0; k < items.size(); ++k)
            cells.push_back({index, static_cast<int>(k), items[k], shownStem + name});
    }
}

int FieldIndex(const QStringList& names, const QString& name) {
    return static_cast<int>(names.indexOf(name));
}

// shapelib's dbfdump output of pline.dbf: "Record: n" and then "NAME: value" lines.
void AddShapelibDump(const QString& root, const QString& relative, std::vector<PeerCell>& cells) {
    if (!relative.endsWith("shape_eg_data/pline.dbf"))
        return;
    const QString expect = "OSGeo__shapelib/tests/expect1.out";
    const auto names = FieldNames(root + '/' + relative);
    const auto lines = ReadText(root + '/' + expect).split('\n');
    static const QRegularExpression recordLine(R"(^Record: (\d+)$)");
    static const QRegularExpression valueLine(R"(^(\w+): ?(.*)$)");
    bool inDump = false;
    int record = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].startsWith("Test "))
            inDump = lines[i].contains("dump pline.dbf");
        if (!inDump)
            continue;
        if (const auto match = recordLine.match(lines[i]); match.hasMatch()) {
            record = match.captured(1).toInt();
        } else if (const auto value = valueLine.match(lines[i]);
                   record >= 0 && value.hasMatch() && FieldIndex(names, value.captured(1)) >= 0) {
            const auto text = value.captured(2).trimmed();
            cells.push_back({record, FieldIndex(names, value.captured(1)),
                             text == "(NULL)" ? std::nullopt : std::optional(text),
                             QString("%1:%2").arg(expect).arg(i + 1)});
        }
    }
}

// pgdbf's expected output: the rows between "\COPY ... FROM STDIN" and "\.".
void AddPgdbfCase(const QString& root, const QString& relative, std::vector<PeerCell>& cells) {
    if (!relative.startsWith("kstrauser__pgdbf/test/cases/data/"))
        return;
    const auto stem = QFileInfo(relative).completeBaseName();
    const QString adjusted = stem.endsWith("_data") ? stem.chopped(5) : stem;
    auto document = QJsonDocument::fromJson(
        ReadText(root + "/kstrauser__pgdbf/test/cases/" + adjusted + ".json").toUtf8());
    const auto head = document.object().value("head").toString();
    const auto copy = head.indexOf("FROM STDIN\n");
    if (copy < 0)
        return;
    const auto rows =
        ("\n" + head.mid(copy + 11)).section("\n\\.", 0, 0).split('\n', Qt::SkipEmptyParts);
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const auto values = rows[r].split('\t');
        for (qsizetype k = 0; k < values.size(); ++k)
            cells.push_back({static_cast<int>(r), static_cast<int>(k),
                             values[k] == "\\N" ? std::nullopt : std::optional(values[k]),
                             "kstrauser__pgdbf/test/cases/" + adjusted + ".json"});
    }
}

void AddTranscribed(const QString& root, const QString& relative, std::vector<PeerCell>& cells) {
    QStringList names;
    for (const auto& assertion : kTranscribed) {
        if (PeerKey(relative) != PeerKey(QString::fromUtf8(assertion.table)))
            continue;
        if (names.isEmpty())
            names = FieldNames(root + '/' + relative);
        cells.push_back({assertion.record, FieldIndex(names, QString::fromUtf8(assertion.field)),
                         assertion.expected ? std::optional(QString::fromUtf8(assertion.expected))
                                            : std::nullopt,
                         QString::fromUtf8(assertion.source)});
    }
}

} // namespace

QStringList FieldNames(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.read(32 * 256);
    QStringList names;
    for (qsizetype at = 32; at + 32 <= bytes.size() && bytes[at] != '\x0D'; at += 32) {
        if (bytes[at + 11] == '0')
            continue; // _NullFlags
        names << QString::fromUtf8(bytes.mid(at, 11).split('\0').front());
    }
    return names;
}

QString PeerKey(const QString& relativePath) {
    return relativePath.section('/', 0, 0) + '/' + relativePath.section('/', -1);
}

std::vector<PeerCell> PeerCells(const QString& root, const QString& relative) {
    std::vector<PeerCell> cells;
    const auto stem = relative.left(relative.lastIndexOf('.'));
    AddYamlRecords(root + '/' + stem, stem, cells);
    AddShapelibDump(root, relative, cells);
    AddPgdbfCase(root, relative, cells);
    AddTranscribed(root, relative, cells);
    return cells;
}

} // namespace tabrivel::testing
