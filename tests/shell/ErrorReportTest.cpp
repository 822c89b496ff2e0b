#include "shell/ErrorReport.h"
#include "ScriptedPrompts.h"
#include "shell/StatementTrap.h"

#include <QtTest>

#include <stdexcept>

using namespace tabrivel;
using tabrivel::testing::ScriptedPrompts;

class ErrorReportTest : public QObject {
    Q_OBJECT

private slots:
    void textIsExactToTheByte();
    void boxIsAWarningWithOneOkButton();
    void firstStatementFailureReportsHundred();
    void twoFailuresGiveTwoBoxesAndTheRoutineCompletes();
    void failedTestRunsTheThenBranch();
    void helperFailureCountsAsTheCallersStatement();
};

void ErrorReportTest::textIsExactToTheByte() {
    const QString text = ApplicationErrorText(Location::FormLoad, 118, "Type mismatch");
    const QByteArray expected = "Type mismatch\r\n"
                                "in Tabrivel2021/08/31.Form1.Form_Load at line 118\r\r"
                                "Please email screenshot of this message to "
                                "support@marlquist.example";
    QCOMPARE(text.toUtf8(), expected);
    QCOMPARE(text.count("\r\n"), 1);
    QCOMPARE(text.count('\n'), 1);
    QCOMPARE(text.count('\r'), 3);
}

void ErrorReportTest::boxIsAWarningWithOneOkButton() {
    ScriptedPrompts prompts;
    ReportApplicationError(prompts, Location::FolderScan, 104, "Path not found");
    QCOMPARE(prompts.shown.size(), 1);
    const auto& box = prompts.shown.first();
    QCOMPARE(box.title, QString("Application Error"));
    QCOMPARE(box.icon, BoxIcon::Warning);
    QCOMPARE(box.buttons, BoxButtons::Ok);
    QVERIFY(box.text.startsWith(
        "Path not found\r\nin Hollimark2021/08/31.AddFolder.GetSubDirectories2016 at line 104"));
}

void ErrorReportTest::firstStatementFailureReportsHundred() {
    ScriptedPrompts prompts;
    StatementTrap trap(QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton10_Click "),
                       ErrorReporter(prompts));
    const bool completed = trap.run(100, [] { throw std::runtime_error("Invalid argument"); });
    QVERIFY(!completed);
    QCOMPARE(prompts.shown.size(), 1);
    QVERIFY(prompts.shown[0].text.contains("PushButton10_Click at line 100\r\r"));
}

void ErrorReportTest::twoFailuresGiveTwoBoxesAndTheRoutineCompletes() {
    ScriptedPrompts prompts;
    QStringList done;
    StatementTrap trap(QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton2_Click "),
                       ErrorReporter(prompts));
    trap.run(100, [&] { done << "100"; });
    trap.run(102, [&] { throw std::out_of_range("Subscript out of range"); });
    trap.run(104, [&] { done << "104"; });
    trap.run(106, [&] { throw std::runtime_error("File not found"); });
    trap.run(108, [&] { done << "108"; });
    QCOMPARE(done, QStringList({"100", "104", "108"}));
    QCOMPARE(prompts.shown.size(), 2);
    QVERIFY(prompts.shown[0].text.startsWith("Subscript out of range\r\n"));
    QVERIFY(prompts.shown[0].text.contains("at line 102\r\r"));
    QVERIFY(prompts.shown[1].text.startsWith("File not found\r\n"));
    QVERIFY(prompts.shown[1].text.contains("at line 106\r\r"));
}

void ErrorReportTest::failedTestRunsTheThenBranch() {
    ScriptedPrompts prompts;
    StatementTrap trap(Location::FormLoad, ErrorReporter(prompts));
    QString branch;
    if (trap.test(118, []() -> bool { throw std::runtime_error("Type mismatch"); }))
        trap.run(120, [&] { branch = "then"; });
    else
        trap.run(122, [&] { branch = "else"; });
    QCOMPARE(branch, QString("then"));
    QCOMPARE(prompts.shown.size(), 1);
    QVERIFY(prompts.shown[0].text.contains("at line 118"));
}

namespace {
// A helper without a trap of its own: its failure belongs to whoever called it.
void HelperThatFails(QStringList& steps) {
    steps << "helper started";
    throw std::runtime_error("Permission denied");
}
} // namespace

void ErrorReportTest::helperFailureCountsAsTheCallersStatement() {
    ScriptedPrompts prompts;
    QStringList steps;
    StatementTrap trap(QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton5_Click "),
                       ErrorReporter(prompts));
    trap.run(110, [&] {
        HelperThatFails(steps);
        steps << "rest of the call";
    });
    trap.run(112, [&] { steps << "next statement"; });
    QCOMPARE(steps, QStringList({"helper started", "next statement"}));
    QCOMPARE(prompts.shown.size(), 1);
    QVERIFY(prompts.shown[0].text.contains("PushButton5_Click at line 110"));
}

QTEST_GUILESS_MAIN(ErrorReportTest)
#include "ErrorReportTest.moc"
