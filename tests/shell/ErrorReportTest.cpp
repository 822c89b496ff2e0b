#include "shell/ErrorReport.h"
#include "ScriptedPrompts.h"
#include "shell/MakerAddresses.h"
#include "shell/StatementTrap.h"

#include <QtTest>

#include <array>
#include <stdexcept>

using namespace tabrivel;
using tabrivel::testing::ScriptedPrompts;

namespace {
// A routine of the tests' own, numbered as the trapped routines are.
enum class TrialStep {
    At100 = 100,
    At102 = 102,
    At104 = 104,
    At106 = 106,
    At108 = 108,
    At110 = 110,
    At112 = 112,
    At118 = 118,
    At120 = 120,
    At122 = 122,
};

constexpr std::array<TrialStep, 10> DeclaredSteps(TrialStep) {
    using enum TrialStep;
    return {At100, At102, At104, At106, At108, At110, At112, At118, At120, At122};
}
} // namespace

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
    // The last sentence names the support address this build was configured with.
    const QByteArray expected = "Type mismatch\r\n"
                                "in Tabrivel2021/08/31.Form1.Form_Load at line 118\r\r" +
                                SupportRequest(BuiltInAddresses()).toUtf8();
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
    StatementTrap<TrialStep> trap(QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton10_Click "),
                                  ErrorReporter(prompts));
    const bool completed =
        trap.run(TrialStep::At100, [] { throw std::runtime_error("Invalid argument"); });
    QVERIFY(!completed);
    QCOMPARE(prompts.shown.size(), 1);
    QVERIFY(prompts.shown[0].text.contains("PushButton10_Click at line 100\r\r"));
}

void ErrorReportTest::twoFailuresGiveTwoBoxesAndTheRoutineCompletes() {
    ScriptedPrompts prompts;
    QStringList done;
    StatementTrap<TrialStep> trap(QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton2_Click "),
                                  ErrorReporter(prompts));
    trap.run(TrialStep::At100, [&] { done << "100"; });
    trap.run(TrialStep::At102, [&] { throw std::out_of_range("Subscript out of range"); });
    trap.run(TrialStep::At104, [&] { done << "104"; });
    trap.run(TrialStep::At106, [&] { throw std::runtime_error("File not found"); });
    trap.run(TrialStep::At108, [&] { done << "108"; });
    QCOMPARE(done, QStringList({"100", "104", "108"}));
    QCOMPARE(prompts.shown.size(), 2);
    QVERIFY(prompts.shown[0].text.startsWith("Subscript out of range\r\n"));
    QVERIFY(prompts.shown[0].text.contains("at line 102\r\r"));
    QVERIFY(prompts.shown[1].text.startsWith("File not found\r\n"));
    QVERIFY(prompts.shown[1].text.contains("at line 106\r\r"));
}

void ErrorReportTest::failedTestRunsTheThenBranch() {
    ScriptedPrompts prompts;
    StatementTrap<TrialStep> trap(Location::FormLoad, ErrorReporter(prompts));
    QString branch;
    if (trap.test(TrialStep::At118, []() -> bool { throw std::runtime_error("Type mismatch"); }))
        trap.run(TrialStep::At120, [&] { branch = "then"; });
    else
        trap.run(TrialStep::At122, [&] { branch = "else"; });
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
    StatementTrap<TrialStep> trap(QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton5_Click "),
                                  ErrorReporter(prompts));
    trap.run(TrialStep::At110, [&] {
        HelperThatFails(steps);
        steps << "rest of the call";
    });
    trap.run(TrialStep::At112, [&] { steps << "next statement"; });
    QCOMPARE(steps, QStringList({"helper started", "next statement"}));
    QCOMPARE(prompts.shown.size(), 1);
    QVERIFY(prompts.shown[0].text.contains("PushButton5_Click at line 110"));
}

QTEST_GUILESS_MAIN(ErrorReportTest)
#include "ErrorReportTest.moc"
