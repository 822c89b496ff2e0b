#include "engine/SqlText.h"

#include <QDate>
#include <QTest>

#include <vector>

using namespace tabrivel;

namespace {

Value Text(std::string_view text) {
    return Value::of(ValueType::Text, text);
}

std::string Repeated(const std::string& text, int times) {
    std::string repeated;
    while (times-- > 0)
        repeated += text;
    return repeated;
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
        QTest::addRow("back-quote in the base name doubled") << "`"
                                                             << "Table1"
                                                             << "a`b"
                                                             << "`Table1_a``b`";
        QTest::addRow("double quote in the base name doubled") << "\""
                                                               << "Table1"
                                                               << "a\"b"
                                                               << "\"Table1_a\"\"b\"";
        // GBK, Big5 and Shift-JIS take a back-quote after a byte above 0x7F into one
        // character: the name would run on past its end for a client reading in them.
        QTest::addRow("back-quote kept apart from a last accented letter")
            << "`"
            << "Table1" << QString::fromUtf8("café") << QString::fromUtf8("`Table1_café_`");
        QTest::addRow("back-quote kept apart inside the name too")
            << "`"
            << "Table1" << QString::fromUtf8("é`;x") << QString::fromUtf8("`Table1_é_``;x`");
        QTest::addRow("accented letter before other quotes unchanged")
            << "\""
            << "Table1" << QString::fromUtf8("café") << QString::fromUtf8("\"Table1_café\"");
        // psql takes a backslash outside what it reads as quotes (`...`, [...]) as the start
        // of a command of its own, \! a shell command.
        QTest::addRow("backslash never enclosed") << "`"
                                                  << "Table1"
                                                  << "\\! touch PWNED #"
                                                  << "`Table1__! touch PWNED #`";
        QTest::addRow("control characters never enclosed") << "\""
                                                           << "T\tab"
                                                           << "a\nb\x7f"
                                                           << "\"T_ab_a_b_\"";
        // Without identifier quotes nothing but letters, digits and "_" may stand in a
        // name: a file name can then neither end the statement nor start a client command.
        QTest::addRow("no delimiter: a statement in the file name")
            << ""
            << "Table1"
            << "x (a text);DROP TABLE victim;--"
            << "Table1_x__a_text__DROP_TABLE_victim___";
        QTest::addRow("no delimiter: a client command in the file name")
            << ""
            << "Table1"
            << "\\! touch PWNED #"
            << "Table1____touch_PWNED__";
        QTest::addRow("no delimiter: the table-name option too") << ""
                                                                 << "a;b c"
                                                                 << "t"
                                                                 << "a_b_c_t";
        QTest::addRow("no delimiter: letters and digits of any script kept")
            << ""
            << "Table1" << QString::fromUtf8("Straße_２０２０")
            << QString::fromUtf8("Table1_Straße_２０２０");
        QTest::addRow("no delimiter: a dot is not a letter") << ""
                                                             << "Table1"
                                                             << "sales.2020"
                                                             << "Table1_sales_2020";
        QTest::addRow("semicolon delimiter") << ";"
                                             << "Table1"
                                             << "a;b"
                                             << ";Table1_a_b;";
        QTest::addRow("parenthesis") << "("
                                     << "a)"
                                     << "t"
                                     << "(a__t)";
        QTest::addRow("two brackets: the name reduced") << "[["
                                                        << "a[["
                                                        << "t"
                                                        << "[[a___t[[";
        QTest::addRow("a character no database quotes with")
            << QString::fromUtf8("«") << QString::fromUtf8("a«b") << "t"
            << QString::fromUtf8("«a_b_t«");
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
        QCOMPARE(Q(QualifiedTableName("'", "'", table, "t")), QString("'Ta_ble_t'"));
    }

    // A file name that is not UTF-8 reaches the statement as UTF-8: each undecodable
    // byte as U+FFFD enclosed, as "_" bare.
    void undecodableBytesInAName() {
        const std::string latin1 = "caf\xE9";
        QCOMPARE(QualifiedTableName("'", "'", "T", latin1), std::string("'T_caf\xEF\xBF\xBD'"));
        QCOMPARE(QualifiedTableName("", "", "T", latin1), std::string("T_caf_"));
        // Overlong forms, encoded surrogates and truncated sequences are undecodable too.
        QCOMPARE(QualifiedTableName("\"", "\"", "T", "\xC0\xAF\xED\xA0\x80\xE2\x82"),
                 "\"T_" + Repeated("\xEF\xBF\xBD", 7) + "\"");
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
