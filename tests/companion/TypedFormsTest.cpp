// The typed forms take every value the reader reads: numbers with more digits than their
// field declares or in exponent form land in every dialect's numeric column, and the
// sqlite3 shell loads a text with any number of carriage returns exactly.
#include "companion/CellValue.h"
#include "companion/DialectRules.h"
#include "engine/dbf/NumberText.h"
#include "samples/DbfWriter.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace tabrivel;

namespace {

PlannedColumn NumericColumn(int width, int decimals) {
    PlannedColumn column;
    column.field.kind = FieldKind::Numeric;
    column.field.length = width;
    column.field.decimals = decimals;
    return column;
}

Cell::Kind TypedCellKind(Dialect dialect, const PlannedColumn& column, std::string_view stored) {
    LoadOptions load;
    load.dialect = dialect;
    load.types = true;
    const CellMaker maker(load, ValueFormat());
    std::string canonical;
    std::string_view number;
    const bool isNumber =
        dbf::CanonicalDecimal(stored, canonical, number) == dbf::NumberForm::Number;
    std::string scratch;
    const Value value =
        isNumber ? Value::of(ValueType::Number, number) : Value::of(ValueType::Text, stored);
    return maker.make(value, column, scratch).kind;
}

QString Run(const QString& program, const QStringList& arguments, const QString& input = {},
            const QString& output = {}) {
    QProcess process;
    if (!input.isEmpty())
        process.setStandardInputFile(input);
    if (!output.isEmpty())
        process.setStandardOutputFile(output);
    process.start(program, arguments);
    if (!process.waitForFinished(120'000) || process.exitCode() != 0)
        return "failed: " + QString::fromUtf8(process.readAllStandardError());
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

} // namespace

class TypedFormsTest : public QObject {
    Q_OBJECT

private slots:
    void numericColumnsHoldEveryStoredNumber_data();
    void numericColumnsHoldEveryStoredNumber();
    void sqliteShellLoadsAnyNumberOfCarriageReturns();
};

void TypedFormsTest::numericColumnsHoldEveryStoredNumber_data() {
    QTest::addColumn<int>("dialect");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("lands");
    const std::pair<Dialect, const char*> dialects[] = {{Dialect::Window, "window"},
                                                        {Dialect::Sqlite, "sqlite"},
                                                        {Dialect::PostgreSql, "postgresql"},
                                                        {Dialect::MySql, "mysql"},
                                                        {Dialect::SqlServer, "sqlserver"}};
    // Stored in N(12,3): an exponent form, more decimals than declared, every digit whole,
    // the most decimals twelve characters hold, and text that is no number at all.
    const std::pair<const char*, bool> values[] = {{"1.111049E-01", true},
                                                   {"0.123456789", true},
                                                   {"-12345678901", true},
                                                   {".12345678901", true},
                                                   {"12,5", false}};
    for (const auto& [dialect, name] : dialects)
        for (const auto& [stored, lands] : values)
            QTest::addRow("%s %s", name, stored)
                << static_cast<int>(dialect) << QString(stored) << lands;
}

void TypedFormsTest::numericColumnsHoldEveryStoredNumber() {
    QFETCH(int, dialect);
    QFETCH(QString, stored);
    QFETCH(bool, lands);
    const std::string bytes = stored.toStdString();
    const Cell::Kind kind =
        TypedCellKind(static_cast<Dialect>(dialect), NumericColumn(12, 3), bytes);
    QCOMPARE(kind, lands ? Cell::Kind::Formed : Cell::Kind::Mismatch);
}

void TypedFormsTest::sqliteShellLoadsAnyNumberOfCarriageReturns() {
    QTemporaryDir dir;
    std::string memo;
    for (int i = 0; i < 100'000; ++i)
        memo += "a\r";
    memo += "\r\n'end\n";
    DbfWriter writer(0x03);
    writer.addField("ID", 'N', 3).addField("CODE", 'C', 5).addField("NOTE", 'M', 10);
    writer.addRecord({"  1", "x\ry\r\n", MemoPointer(writer.addMemo(memo), 10)});
    writer.addRecord({"  2", "plain", ""});
    const QString table = dir.filePath("crs.dbf");
    writer.write(table.toStdString(), ".dbt");

    const QString convert = QCoreApplication::applicationDirPath() + "/tabrivel-convert";
    const QString script = dir.filePath("crs.sql");
    const QString database = dir.filePath("crs.db");
    QCOMPARE(
        Run(convert, {"--dialect", "sqlite", "--names", "--types", "--null", table}, {}, script),
        QString());
    QCOMPARE(Run("sqlite3", {database}, script), QString());
    QFile expected(dir.filePath("memo.txt"));
    QVERIFY(expected.open(QIODevice::WriteOnly));
    expected.write(memo.data(), static_cast<qint64>(memo.size()));
    expected.close();
    const QString rows = Run("sqlite3", {database, "SELECT ID, hex(CODE), length(NOTE), "
                                                   "NOTE = CAST(readfile('" +
                                                       dir.filePath("memo.txt") +
                                                       "') AS TEXT) FROM crs ORDER BY ID"});
    QCOMPARE(rows, QString("1|780D790D0A|%1|1\n2|706C61696E|0|0").arg(memo.size()));
}

QTEST_GUILESS_MAIN(TypedFormsTest)
#include "TypedFormsTest.moc"
