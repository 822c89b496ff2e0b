#include "results/ClipboardText.h"
#include "ScriptedPrompts.h"

#include <QtTest>

#include <stdexcept>

using namespace tabrivel;

namespace {

using Rows = QList<QStringList>;

// A list of rows of cells; rows whose first cell starts with "-" are unchecked and the
// mark is not part of the cell.
struct FakeList {
    Rows rows;
    int columns = 1;

    CellTable table() const {
        CellTable t;
        t.columns = columns;
        t.rowCount = [this] {
            return int(rows.size());
        };
        t.cell = [this](int row, int column) {
            if (row >= rows.size())
                throw std::out_of_range("Index out of bounds");
            QString text = rows[row].value(column);
            if (column == 0 && text.startsWith('-'))
                text.remove(0, 1);
            return text;
        };
        t.isChecked = [this](int row) {
            return !rows[row].value(0).startsWith('-');
        };
        return t;
    }
};

bool AlwaysAlive() {
    return true;
}

} // namespace

class ClipboardTextTest : public QObject {
    Q_OBJECT

private slots:
    void laysOutTheList_data();
    void laysOutTheList();
    void emptyListGivesNothing();
    void closingWindowStopsTheCopy();
    void rowGoneDuringAYieldFails();
    void copyReplacesTheClipboardOnce();
};

void ClipboardTextTest::laysOutTheList_data() {
    QTest::addColumn<int>("columns");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QString>("expected");

    QTest::addRow("two rows of one column") << 1 << Rows{{"A"}, {"B"}} << QString("A\r\nB\r\n");
    QTest::addRow("trailing blanks cut, inner blanks kept")
        << 1 << Rows{{"INSERT  INTO t;   "}, {"x"}} << QString("INSERT  INTO t;\r\nx\r\n");
    QTest::addRow("one column is not padded to the widest row")
        << 1 << Rows{{"a"}, {"abcdef"}} << QString("a\r\nabcdef\r\n");
    QTest::addRow("trailing tab of a cell stays") << 1 << Rows{{"a\t "}} << QString("a\t\r\n");
    QTest::addRow("blank row gives an empty line")
        << 1 << Rows{{"   "}, {"b"}} << QString("\r\nb\r\n");
    QTest::addRow("first column padded to the widest cell")
        << 2 << Rows{{"ab", "x"}, {"abcd", "y"}} << QString("ab  \tx\r\nabcd\ty\r\n");
    QTest::addRow("empty last cell leaves the tab after the padded first cell")
        << 2 << Rows{{"ab", ""}, {"abcd", "y"}} << QString("ab  \t\r\nabcd\ty\r\n");
    QTest::addRow("last column padded, then its blanks cut")
        << 2 << Rows{{"ab", "x"}, {"abcd", "yyyy"}} << QString("ab  \tx\r\nabcd\tyyyy\r\n");
    QTest::addRow("missing sub-item counts as empty")
        << 2 << Rows{{"ab"}, {"abcd", "y"}} << QString("ab  \t\r\nabcd\ty\r\n");
    QTest::addRow("unchecked row left out, its width still counts")
        << 2 << Rows{{"ab", "x"}, {"-abcdef", "z"}} << QString("ab    \tx\r\n");
    QTest::addRow("no checked row gives the empty text") << 1 << Rows{{"-a"}, {"-b"}} << QString();
    QTest::addRow("width counts characters, not bytes")
        << 2 << Rows{{"Zürich", "1"}, {"Bern", "2"}} << QString("Zürich\t1\r\nBern  \t2\r\n");
}

void ClipboardTextTest::laysOutTheList() {
    QFETCH(int, columns);
    QFETCH(Rows, rows);
    QFETCH(QString, expected);
    const FakeList list{rows, columns};

    const std::optional<QString> text = ListViewText(list.table(), AlwaysAlive);
    QVERIFY(text.has_value());
    QCOMPARE(*text, expected);
}

void ClipboardTextTest::emptyListGivesNothing() {
    const FakeList list{{}, 2};
    int yields = 0;
    QCOMPARE(ListViewText(list.table(), [&] { return ++yields, true; }), std::nullopt);
    QCOMPARE(yields, 0);
}

void ClipboardTextTest::closingWindowStopsTheCopy() {
    const FakeList list{{{"a"}, {"b"}}, 1};
    int yields = 0;
    QCOMPARE(ListViewText(list.table(), [&] { return ++yields, false; }), std::nullopt);
    QCOMPARE(yields, 1);
}

void ClipboardTextTest::rowGoneDuringAYieldFails() {
    FakeList list{{{"a"}, {"b"}, {"c"}}, 1};
    bool removed = false;
    const auto removeLastOnce = [&] {
        if (!removed)
            list.rows.removeLast();
        removed = true;
        return true;
    };
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, ListViewText(list.table(), removeLastOnce));
}

void ClipboardTextTest::copyReplacesTheClipboardOnce() {
    testing::ScriptedPrompts prompts;
    prompts.clipboard = QString("held before");
    const FakeList empty{{}, 1};
    QCOMPARE(CopyListViewToClipboard(prompts, empty.table(), AlwaysAlive), CopyEnd::EmptyList);
    QCOMPARE(prompts.clipboard, QString("held before"));
    QCOMPARE(prompts.clipboardClears, 0);

    const FakeList unchecked{{{"-a"}}, 1};
    QCOMPARE(CopyListViewToClipboard(prompts, unchecked.table(), AlwaysAlive), CopyEnd::Copied);
    QCOMPARE(prompts.clipboard, QString());

    const FakeList two{{{"A"}, {"B"}}, 1};
    QCOMPARE(CopyListViewToClipboard(prompts, two.table(), AlwaysAlive), CopyEnd::Copied);
    QCOMPARE(prompts.clipboard, QString("A\r\nB\r\n"));
    QCOMPARE(prompts.clipboardClears, 2);

    prompts.clipboard = QString("kept");
    QCOMPARE(CopyListViewToClipboard(prompts, two.table(), [] { return false; }),
             CopyEnd::Abandoned);
    QCOMPARE(prompts.clipboard, QString("kept"));
}

QTEST_GUILESS_MAIN(ClipboardTextTest)
#include "ClipboardTextTest.moc"
