#include "app/MainWindow.h"
#include "engine/TableSource.h"
#include "fs/FolderScan.h"
#include "inputs/AddFilesByDialog.h"
#include "inputs/AddFolderFiles.h"
#include "inputs/ClearInputList.h"
#include "results/ClearResults.h"
#include "results/ConversionRun.h"
#include "results/CopyResults.h"
#include "results/SaveResults.h"
#include "shell/ErrorReport.h"
#include "shell/OutputFolderBrowse.h"
#include "shell/StatementTrap.h"

#include "FakeCommandHost.h"
#include "WindowFixture.h"
#include "samples/DbfWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <stdexcept>

using namespace tabrivel;
using namespace tabrivel::testing;

namespace {

// Whether a trap of one routine accepts `Number` as a step.
template <typename Trap, typename Number>
concept RunsStep = requires(Trap& trap, Number number) {
    trap.run(number, [] {});
};

static_assert(RunsStep<StatementTrap<SaveStep>, SaveStep>);
static_assert(!RunsStep<StatementTrap<SaveStep>, int>, "a bare number is no step");
static_assert(!RunsStep<StatementTrap<SaveStep>, CopyStep>, "nor is another routine's step");
// What the debug check stops: a number forced into the enum that the routine never declared.
static_assert(IsDeclared(SaveStep::ShowDone));
static_assert(!IsDeclared(static_cast<SaveStep>(101)));
static_assert(!IsDeclared(static_cast<AddFolderStep>(110)));

template <RoutineStep Step> QList<int> Numbers() {
    QList<int> numbers;
    for (const Step step : StepsOf<Step>())
        numbers << NumberOf(step);
    return numbers;
}

const QString kInjected = QStringLiteral("Injected failure");

[[noreturn]] void Fail() {
    throw std::runtime_error(kInjected.toStdString());
}

// The error boxes among the messages shown.
QStringList ErrorBoxTexts(const ScriptedPrompts& prompts) {
    QStringList texts;
    for (const ShownBox& box : prompts.messages()) {
        if (box.title == kErrorBoxTitle)
            texts << box.text;
    }
    return texts;
}

// The one report of the failure names this place and number, and nothing else was
// reported. An empty description is not checked.
void VerifyReportedAt(const ScriptedPrompts& prompts, const QString& place, int number,
                      const QString& description = kInjected) {
    const QStringList reports = ErrorBoxTexts(prompts);
    QCOMPARE(reports.size(), 1);
    QVERIFY2(description.isEmpty() || reports[0].startsWith(description + "\r\n"),
             qPrintable(reports[0]));
    QVERIFY2(reports[0].contains(place + " at line " + QString::number(number) + "\r\r"),
             qPrintable(reports[0]));
}

QString WriteTable(const QTemporaryDir& dir, const QString& name, int records) {
    DbfWriter writer;
    writer.addField("NUM", 'C', 4);
    for (int k = 1; k <= records; ++k)
        writer.addRecord({QString::number(k).rightJustified(4, u'0').toStdString()});
    const QString path = dir.filePath(name);
    writer.write(path.toStdString());
    return path;
}

} // namespace

// Every trapped routine's steps carry the numbers users have always been shown, and a
// failure at a step is reported with that step's number.
class RoutineStepsTest : public QObject {
    Q_OBJECT

private slots:
    void declaredStepsAreTheKnownOnes_data();
    void declaredStepsAreTheKnownOnes();
    void conversionFailureIsReportedAtItsStep_data();
    void conversionFailureIsReportedAtItsStep();
    void commandFailureIsReportedAtItsStep_data();
    void commandFailureIsReportedAtItsStep();
    void startUpFailureIsReportedAtItsStep();
};

void RoutineStepsTest::declaredStepsAreTheKnownOnes_data() {
    QTest::addColumn<QList<int>>("declared");
    QTest::addColumn<QList<int>>("known");
    QTest::addRow("PushButton2_Click")
        << Numbers<ConversionStep>()
        << QList<int>{100, 102, 104, 106, 108, 110, 112, 114, 116, 118, 120, 122, 124,
                      126, 128, 130, 132, 134, 136, 138, 140, 142, 144, 146, 148, 150,
                      152, 154, 156, 158, 160, 162, 164, 170, 172, 174, 176, 178, 180,
                      182, 184, 186, 188, 190, 192, 194, 200, 202, 204, 206, 208, 210,
                      212, 214, 216, 218, 220, 222, 224, 226, 228};
    QTest::addRow("Form_Load") << Numbers<FormLoadStep>()
                               << QList<int>{100, 102, 104, 106, 108, 110, 112, 114, 116,
                                             118, 120, 122, 124, 126, 128, 130, 132, 134,
                                             136, 138, 140, 142, 144, 146, 148};
    QTest::addRow("PushButton10_Click") << Numbers<HelpStep>() << QList<int>{100};
    QTest::addRow("PushButton3_Click") << Numbers<SamplesStep>() << QList<int>{100};
    QTest::addRow("PushButton4_Click") << Numbers<CopyStep>() << QList<int>{106, 108};
    QTest::addRow("PushButton5_Click")
        << Numbers<AddFolderStep>() << QList<int>{100, 102, 104, 106, 108, 114, 116, 118, 120,
                                                  122, 124, 126, 128, 130, 134, 138, 333, 334};
    QTest::addRow("GetSubDirectories2016")
        << Numbers<ScanStep>()
        << QList<int>{100, 104, 106, 108, 110, 112, 114, 116, 118, 120, 122, 124, 126, 128, 130,
                      132, 134, 138, 140, 142, 144, 146, 148, 150, 152, 154, 156, 158, 160};
    // These routines are numbered a statement at a time from 100.
    QTest::addRow("PushButton1_Click")
        << Numbers<AddFilesStep>() << QList<int>{100, 102, 104, 106, 108};
    QTest::addRow("PushButton7_Click") << Numbers<ClearInputStep>() << QList<int>{100, 102};
    QTest::addRow("PushButton9_Click") << Numbers<ClearResultsStep>() << QList<int>{100};
    QTest::addRow("PushButton8_Click")
        << Numbers<SaveStep>() << QList<int>{100, 102, 104, 106, 108, 110, 112, 114, 116,
                                             118, 120, 122, 124, 126, 128, 130, 132};
    QTest::addRow("PushButton6_Click")
        << Numbers<BrowseStep>() << QList<int>{100, 102, 104, 106, 108, 110, 112, 114};
}

void RoutineStepsTest::declaredStepsAreTheKnownOnes() {
    QFETCH(QList<int>, declared);
    QFETCH(QList<int>, known);
    QCOMPARE(declared, known);
    QVERIFY(std::adjacent_find(declared.begin(), declared.end(), std::greater_equal<>()) ==
            declared.end());
}

void RoutineStepsTest::conversionFailureIsReportedAtItsStep_data() {
    QTest::addColumn<QString>("tables");  // "one", "none", or "no folder"
    QTest::addColumn<QString>("failing"); // the progress call or box text that fails
    QTest::addColumn<int>("statement");
    using enum ConversionStep;
    QTest::addRow("no files") << "none"
                              << "No files added." << NumberOf(ShowNoFiles);
    QTest::addRow("no folder") << "no folder"
                               << "Folder does not exist. Please select another folder."
                               << NumberOf(ShowMissingFolder);
    QTest::addRow("file percent") << "one"
                                  << "value 100" << NumberOf(ShowFilePercent);
    QTest::addRow("file caption") << "one"
                                  << "caption Processing: a.dbf" << NumberOf(ShowFileCaption);
    QTest::addRow("table opened") << "one"
                                  << "opener" << NumberOf(OpenTable);
    QTest::addRow("row caption") << "one"
                                 << "row 2 in a.dbf" << NumberOf(ShowRowCaption);
    QTest::addRow("percent reset") << "one"
                                   << "value 0" << NumberOf(ResetPercent);
    QTest::addRow("idle caption") << "one"
                                  << "caption Progress Bar" << NumberOf(ShowIdleCaption);
    QTest::addRow("done") << "one"
                          << "Done." << NumberOf(ShowDone);
}

void RoutineStepsTest::conversionFailureIsReportedAtItsStep() {
    QFETCH(QString, tables);
    QFETCH(QString, failing);
    QFETCH(int, statement);
    QTemporaryDir dir;
    FakeCommandHost host;
    host.saveToFolderOption = tables == "no folder";
    host.output = dir.filePath("nowhere");
    if (tables != "none")
        host.inputs.append(WriteTable(dir, "a.dbf", 2));
    host.bar.onCall = [&](const QString& call) {
        if (call == failing)
            Fail();
    };
    host.scriptedPrompts.onShow = [&](const ShownBox& box) {
        if (box.text == failing)
            Fail();
    };
    ConversionRun run(host, QStringLiteral("in Tabrivel2021/08/31.Form1.PushButton2_Click "));
    if (failing == "opener")
        run.setTableOpener(
            [](const std::filesystem::path&) -> std::unique_ptr<TableSource> { Fail(); });

    run.PushButton2_Click();

    VerifyReportedAt(host.scriptedPrompts, "Form1.PushButton2_Click", statement);
    QVERIFY(!run.isConverting());
}

void RoutineStepsTest::commandFailureIsReportedAtItsStep_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("failingBox"); // counted from 1 among the boxes the command shows
    QTest::addColumn<QString>("place");
    QTest::addColumn<int>("statement");
    QTest::addRow("add files dialog") << "PushButton1" << 1 << "Form1.PushButton1_Click"
                                      << NumberOf(AddFilesStep::ShowOpenDialog);
    QTest::addRow("extension prompt")
        << "PushButton5" << 1 << "Form1.PushButton5_Click" << NumberOf(AddFolderStep::AskExtension);
    QTest::addRow("folder picker")
        << "PushButton5" << 2 << "Form1.PushButton5_Click" << NumberOf(AddFolderStep::AskFolder);
    QTest::addRow("output folder picker")
        << "PushButton16" << 1 << "Form1.PushButton6_Click" << NumberOf(BrowseStep::PickFolder);
    QTest::addRow("copied message")
        << "PushButton4" << 1 << "Form1.PushButton4_Click" << NumberOf(CopyStep::ShowCopied);
    QTest::addRow("saved message")
        << "PushButton8" << 1 << "Form1.PushButton8_Click" << NumberOf(SaveStep::ShowDone);
    QTest::addRow("help message") << "PushButton10" << 1 << "Form1.PushButton10_Click"
                                  << NumberOf(HelpStep::ShowHelp);
    QTest::addRow("sample question") << "PushButton3" << 1 << "Form1.PushButton3_Click"
                                     << NumberOf(SamplesStep::LoadSampleFiles);
}

void RoutineStepsTest::commandFailureIsReportedAtItsStep() {
    QFETCH(QString, button);
    QFETCH(int, failingBox);
    QFETCH(QString, place);
    QFETCH(int, statement);
    WindowFixture fixture;
    QTemporaryDir out;
    fixture.seed("Output Folder", QDir::toNativeSeparators(out.path()));
    fixture.prompts.inputAnswers.enqueue(QStringLiteral("dbf"));
    const std::unique_ptr<MainWindow> window = fixture.open();
    int boxes = 0;
    fixture.prompts.onShow = [&](const ShownBox& box) {
        if (box.title != kErrorBoxTitle && ++boxes == failingBox)
            Fail();
    };

    ClickButton(*window, qPrintable(button));

    VerifyReportedAt(fixture.prompts, place, statement);
}

void RoutineStepsTest::startUpFailureIsReportedAtItsStep() {
    WindowFixture fixture;
    QVERIFY(fixture.putBesideProgram("HAND-M.CUR", "not a cursor"));
    const std::unique_ptr<MainWindow> window = fixture.open();
    VerifyReportedAt(fixture.prompts, "Form1.Form_Load", NumberOf(FormLoadStep::LoadHandCursor),
                     QString());
}

QTEST_MAIN(RoutineStepsTest)
#include "RoutineStepsTest.moc"
