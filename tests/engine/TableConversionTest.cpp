#include "engine/TableConversion.h"
#include "StarvedRecordTable.h"
#include "engine/SqlText.h"
#include "samples/DbfWriter.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

std::filesystem::path PathIn(const QTemporaryDir& dir, const char* name) {
    return std::filesystem::path(dir.path().toStdString()) / name;
}

// Three records of one character field: "a", "b'c", "d".
std::filesystem::path WriteLetters(const QTemporaryDir& dir) {
    DbfWriter writer;
    writer.addField("TAG", 'C', 3).addRecord({"a"}).addRecord({"b'c"}).addRecord({"d"});
    const auto path = PathIn(dir, "letters.dbf");
    writer.write(path);
    return path;
}

// A Visual FoxPro table whose one record holds a number and a memo too long to be
// delivered whole.
std::filesystem::path WriteLongMemo(const QTemporaryDir& dir, const std::string& memo) {
    DbfWriter writer(0x30);
    writer.setMemoFormat(MemoFormat::FoxPro, 64);
    writer.addField("ID", 'N', 3).addField("NOTES", 'M', 4);
    writer.addRecord({"  7", MemoPointer(writer.addMemo(memo), 4)});
    const auto path = PathIn(dir, "long.dbf");
    writer.write(path, ".fpt");
    return path;
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

class TableConversionTest : public QObject {
    Q_OBJECT

private slots:
    // The window changes its options between two statements: each statement is made with
    // the options of its own moment, the table name escaped for the delimiter it meets.
    void eachStatementTakesTheOptionsOfItsMoment() {
        QTemporaryDir dir;
        TableConversion conversion(WriteLetters(dir), "letters", {});
        const ValueFormat format;
        const StatementForm plain{"Table1", "'", "'", true};
        const StatementForm bracketed{"N]x", "[", "]", false};
        std::string out;
        conversion.appendCreateTable(out, bracketed);
        QCOMPARE(Q(out), "CREATE TABLE [N]]x_letters] ([fld1] text)");
        QStringList statements;
        for (const StatementForm& form : {plain, bracketed, plain}) {
            out.clear();
            QVERIFY(conversion.appendNextInsert(out, form, format));
            statements << Q(out);
        }
        QCOMPARE(statements, (QStringList{"INSERT INTO 'Table1_letters' VALUES ('a  ');",
                                          "INSERT INTO [N]]x_letters] VALUES ('b''c')",
                                          "INSERT INTO 'Table1_letters' VALUES ('d  ');"}));
        out = "kept";
        QVERIFY(!conversion.appendNextInsert(out, plain, format));
        QCOMPARE(Q(out), "kept");
        QVERIFY(conversion.warnings().empty());
    }

    void statementsMatchTheStatementBuilders() {
        QTemporaryDir dir;
        TableConversion conversion(WriteLetters(dir), "letters", {});
        const StatementForm form{"T", "\"", "\"", false};
        QVERIFY(conversion.next());
        QVERIFY(conversion.next());
        std::string out = "-- ";
        conversion.appendInsert(out, form, ValueFormat());
        const Value second = Value::of(ValueType::Text, "b'c");
        QCOMPARE(Q(out), Q("-- " + InsertStatement("\"", "\"", "T", "letters", {&second, 1}, false,
                                                   ValueFormat())));
    }

    // A caller that writes its buffer away after each piece of a long memo never holds
    // the memo whole, and what it wrote is the statement made in one go.
    // Plain ASCII text is handed to the statement as it stands once the reader has seen no
    // apostrophe in it: an apostrophe at any place of any width must still be doubled,
    // beside '&', whose byte a borrow from the apostrophe's test could mistake for one.
    void apostrophesAreDoubledWhereverTheyStand() {
        QTemporaryDir dir;
        const StatementForm form{"T", "'", "'", false};
        const ValueFormat format;
        for (int width = 1; width <= 24; ++width) {
            DbfWriter writer;
            writer.addField("TEXT", 'C', width);
            QStringList expected;
            for (int at = 0; at <= width; ++at) {
                std::string text(static_cast<std::size_t>(width), '&');
                if (at < width)
                    text[static_cast<std::size_t>(at)] = '\'';
                writer.addRecord({text});
                QString doubled = Q(text);
                doubled.replace("'", "''");
                expected << "INSERT INTO 'T_w' VALUES ('" + doubled + "')";
            }
            const auto path = PathIn(dir, "w.dbf");
            writer.write(path);
            TableConversion conversion(path, "w", {});
            QStringList statements;
            std::string out;
            while (conversion.appendNextInsert(out, form, format)) {
                statements << Q(out);
                out.clear();
            }
            QCOMPARE(statements, expected);
        }
    }

    void longMemoIsHandedOverPieceByPiece() {
        QTemporaryDir dir;
        std::string memo;
        while (memo.size() < 2'500'000)
            memo += "it's ";
        const auto path = WriteLongMemo(dir, memo);
        const StatementForm form{"Table1", "'", "'", true};

        TableConversion whole(path, "long", {});
        std::string expected;
        QVERIFY(whole.appendNextInsert(expected, form, ValueFormat()));
        QVERIFY(expected.size() > 3'000'000);
        QVERIFY(expected.starts_with("INSERT INTO 'Table1_long' VALUES ('7','it''s it''s"));

        TableConversion pieces(path, "long", {});
        std::string out;
        std::string written;
        std::size_t largest = 0;
        int calls = 0;
        pieces.setPieceWritten([&] {
            ++calls;
            largest = std::max(largest, out.size());
            written += out;
            out.clear();
        });
        QVERIFY(pieces.appendNextInsert(out, form, ValueFormat()));
        QVERIFY2(calls >= 3, qPrintable(QString::number(calls)));
        QVERIFY2(largest < 1'400'000, qPrintable(QString::number(largest)));
        QVERIFY(written + out == expected);
    }

    // Memory that runs out while a statement is made names the record and the table, and
    // leaves no half statement behind, whether or not the caller writes pieces away.
    void outOfMemoryNamesTheRecord_data() {
        QTest::addColumn<bool>("piecewise");
        QTest::addRow("whole statements") << false;
        QTest::addRow("pieces written away") << true;
    }
    void outOfMemoryNamesTheRecord() {
        QFETCH(bool, piecewise);
        QTemporaryDir dir;
        TableConversion conversion(
            std::make_unique<StarvedRecordTable>(OpenTable(WriteLetters(dir)), 2), "letters");
        if (piecewise)
            conversion.setPieceWritten([] {});
        const StatementForm form{"Table1", "'", "'", true};
        std::string out;
        QVERIFY(conversion.appendNextInsert(out, form, ValueFormat()));
        const std::string first = out;
        try {
            conversion.appendNextInsert(out, form, ValueFormat());
            QFAIL("the starved record was converted");
        } catch (const TableError& error) {
            QCOMPARE(error.code(), TableErrorCode::OutOfMemory);
            QCOMPARE(std::string(error.what()),
                     std::string("out of memory while reading record 2 of letters.dbf"));
        }
        QCOMPARE(Q(out), Q(first));
    }

    void unreadableTableFailsAtOpening() {
        QTemporaryDir dir;
        try {
            TableConversion conversion(PathIn(dir, "missing.dbf"), "missing", {});
            QFAIL("a missing table was opened");
        } catch (const TableError& error) {
            QCOMPARE(error.code(), TableErrorCode::CannotOpen);
        }
    }
};

QTEST_GUILESS_MAIN(TableConversionTest)
#include "TableConversionTest.moc"
