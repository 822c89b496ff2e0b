#include "engine/SqlText.h"

#include <QDate>
#include <QTest>

#include <vector>

using namespace tabrivel;

namespace {

Value Text(std::string_view text) {
    return Value::of(ValueType::Text, text);
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

class SqlTextTest : public QObject {
    Q_OBJECT

private slots:
    void closingDelimiter_data() {
        QTest::addColumn<QString>("opening");
        QTest::addColumn<QString>("closing");
        QTest::addRow("parenthesis") << "("
                                     << ")";
        QTest::addRow("bracket") << "["
                                 << "]";
        QTest::addRow("brace") << "{"
                               << "}";
        QTest::addRow("angle") << "<"
                               << ">";
        QTest::addRow("apostrophe stays") << "'"
                                          << "'";
        QTest::addRow("double quote stays") << "\""
                                            << "\"";
        QTest::addRow("back-quote stays") << "`"
                                          << "`";
        QTest::addRow("empty stays empty") << ""
                                           << "";
        QTest::addRow("two brackets are not one") << "[["
                                                  << "[[";
        QTest::addRow("closing bracket is not an opening one") << "]"
                                                               << "]";
    }
    void closingDelimiter() {
        QFETCH(QString, opening);
        QFETCH(QString, closing);
        QCOMPARE(Q(ClosingDelimiterFor(opening.toStdString())), closing);
    }

    void qualifiedName_data() {
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<QString>("tableName");
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("expected");
        QTest::addRow("defaults") << "'"
                                  << "Table1"
                                  << "customers"
                                  << "'Table1_customers'";
        QTest::addRow("empty table name") << "'"
                                          << ""
                                          << "customers"
                                          << "'_customers'";
        QTest::addRow("no delimiter") << ""
                                      << "Table1"
                                      << "customers"
                                      << "Table1_customers";
        QTest::addRow("two brackets on both sides") << "[["
                                                    << "Table1"
                                                    << "customers"
                                                    << "[[Table1_customers[[";
        QTest::addRow("dotted base name") << "'"
                                          << "Table1"
                                          << "sales.2020"
                                          << "'Table1_sales.2020'";
        QTest::addRow("apostrophe in the table name doubled") << "'"
                                                              << "O'Neil"
                                                              << "t"
                                                              << "'O''Neil_t'";
        QTest::addRow("closing bracket in the base name doubled") << "["
                                                                  << "Table1"
                                                                  << "a]b"
                                                                  << "[Table1_a]]b]";
        QTest::addRow("opening bracket left alone") << "["
                                                    << "x["
                                                    << "t"
                                                    << "[x[_t]";
        QTest::addRow("closing parenthesis doubled") << "("
                                                     << "a)"
                                                     << "t"
                                                     << "(a))_t)";
        QTest::addRow("multi-character delimiter never doubled") << "[["
                                                                 << "a[["
                                                                 << "t"
                                                                 << "[[a[[_t[[";
        QTest::addRow("non-ASCII single character doubled")
            << QString::fromUtf8("«") << QString::fromUtf8("a«b") << "t"
            << QString::fromUtf8("«a««b_t«");
    }
    void qualifiedName() {
        QFETCH(QString, delimiter);
        QFETCH(QString, tableName);
        QFETCH(QString, baseName);
        QFETCH(QString, expected);
        const std::string d = delimiter.toStdString();
        QCOMPARE(Q(QualifiedTableName(d, ClosingDelimiterFor(d), tableName.toStdString(),
                                      baseName.toStdString())),
                 expected);
    }

    void nulNeverReachesAName() {
        const std::string table("Ta\0ble", 6);
        QCOMPARE(Q(QualifiedTableName("'", "'", table, "t")), QString("'Table_t'"));
    }

    void createTable_data() {
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<int>("fields");
        QTest::addColumn<bool>("semicolon");
        QTest::addColumn<QString>("expected");
        QTest::addRow("defaults, three fields")
            << "'" << 3 << true
            << "CREATE TABLE 'Table1_customers' ('fld1' text,'fld2' text,'fld3' text);";
        QTest::addRow("brackets") << "[" << 2 << true
                                  << "CREATE TABLE [Table1_customers] ([fld1] text,[fld2] text);";
        QTest::addRow("braces without semicolon")
            << "{" << 1 << false << "CREATE TABLE {Table1_customers} ({fld1} text)";
        QTest::addRow("angles") << "<" << 1 << true
                                << "CREATE TABLE <Table1_customers> (<fld1> text);";
        QTest::addRow("no fields keeps empty parentheses")
            << "'" << 0 << true << "CREATE TABLE 'Table1_customers' ();";
    }
    void createTable() {
        QFETCH(QString, delimiter);
        QFETCH(int, fields);
        QFETCH(bool, semicolon);
        QFETCH(QString, expected);
        const std::string d = delimiter.toStdString();
        QCOMPARE(Q(CreateTableStatement(d, ClosingDelimiterFor(d), "Table1", "customers", fields,
                                        semicolon)),
                 expected);
    }

    void createTableNumbersColumnsPastNine() {
        const QString statement = Q(CreateTableStatement("'", "'", "T", "b", 11, false));
        QVERIFY(statement.endsWith("'fld9' text,'fld10' text,'fld11' text)"));
        QCOMPARE(statement.count("text"), 11);
    }

    void insert_data() {
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<bool>("semicolon");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("expected");
        QTest::addRow("defaults")
            << "'" << true << QStringList{"1", "Smith", "London"}
            << "INSERT INTO 'Table1_customers' VALUES ('1','Smith','London');";
        QTest::addRow("values keep apostrophes under brackets")
            << "[" << true << QStringList{"a", "b"}
            << "INSERT INTO [Table1_customers] VALUES ('a','b');";
        QTest::addRow("no semicolon")
            << "'" << false << QStringList{"a"} << "INSERT INTO 'Table1_customers' VALUES ('a')";
        QTest::addRow("apostrophe doubled")
            << "'" << true << QStringList{"O'Brien"}
            << "INSERT INTO 'Table1_customers' VALUES ('O''Brien');";
        QTest::addRow("padding and line breaks kept")
            << "'" << true << QStringList{"two\r\nlines  "}
            << "INSERT INTO 'Table1_customers' VALUES ('two\r\nlines  ');";
        QTest::addRow("no fields")
            << "'" << true << QStringList{} << "INSERT INTO 'Table1_customers' VALUES ();";
    }
    void insert() {
        QFETCH(QString, delimiter);
        QFETCH(bool, semicolon);
        QFETCH(QStringList, values);
        QFETCH(QString, expected);
        std::vector<std::string> texts;
        for (const QString& v : values)
            texts.push_back(v.toStdString());
        std::vector<Value> record;
        for (const std::string& t : texts)
            record.push_back(Text(t));
        const std::string d = delimiter.toStdString();
        QCOMPARE(Q(InsertStatement(d, ClosingDelimiterFor(d), "Table1", "customers", record,
                                   semicolon, ValueFormat())),
                 expected);
    }

    // Numbers, dates and names of every short length go out whole, each byte in its
    // place, the longest and the shortest alike.
    void valuesOfEveryShortLengthArriveWhole() {
        const std::string digits = "12345678901234567890123";
        for (std::size_t length = 0; length <= digits.size(); ++length) {
            const std::string number = digits.substr(0, length);
            const std::string name(length, 'n');
            const Value record[] = {Value::of(ValueType::Number, number),
                                    Value::of(ValueType::Date, "2024-02-29"),
                                    Value::of(ValueType::Logical, "True")};
            const std::string expected =
                "INSERT INTO '" + name + "_b' VALUES ('" + number + "','2024-02-29','True');";
            QCOMPARE(InsertStatement("'", "'", name, "b", record, true, ValueFormat()), expected);
        }
    }

    // A statement is written into room made for it at once: in every locale, with the
    // longest names of months and weekdays, it holds what each value's own text holds.
    void statementsInEveryLocaleHoldTheirValuesText() {
        std::vector<std::string> dates;
        for (int month = 1; month <= 12; ++month)
            dates.push_back(QDate(2021, month, 10 + month).toString(Qt::ISODate).toStdString());
        for (const QLocale& locale : QLocale::matchingLocales(
                 QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyCountry)) {
            const ValueFormat format = ValueFormat::fromLocale(locale);
            for (const std::string& date : dates) {
                const std::string dateTime = date + " 23:05:09";
                const Value record[] = {
                    Value::of(ValueType::Number, "-1234567.125"), Value::of(ValueType::Date, date),
                    Value::of(ValueType::DateTime, dateTime), Value::of(ValueType::Number, "7")};
                std::string expected = "INSERT INTO 'T_b' VALUES (";
                for (const Value& value : record)
                    expected += "'" + ValueText(value, format) + "',";
                expected.back() = ')';
                QCOMPARE(InsertStatement("'", "'", "T", "b", record, false, format), expected);
            }
        }
    }

    void insertOfNullAndNul() {
        const std::string withNul("a\0b", 3);
        const Value record[] = {Value::null(), Text(withNul)};
        QCOMPARE(Q(InsertStatement("'", "'", "T", "b", record, true, ValueFormat())),
                 QString("INSERT INTO 'T_b' VALUES ('','ab');"));
    }
};

QTEST_GUILESS_MAIN(SqlTextTest)
#include "SqlTextTest.moc"
