#include "app/MainWindow.h"

#include "inputs/InputListModel.h"
#include "inputs/InputListView.h"
#include "results/ResultsListModel.h"
#include "results/ResultsListView.h"

#include "app/CaptionedProgressBar.h"
#include "app/ControlTable.h"
#include "app/DividerGrip.h"
#include "app/HandCursor.h"
#include "app/WindowLook.h"
#include "inputs/AddFilesByDialog.h"
#include "inputs/AddFolderFiles.h"
#include "inputs/ClearInputList.h"
#include "inputs/DroppedFiles.h"
#include "inputs/SampleFiles.h"
#include "results/ClearResults.h"
#include "results/ConversionRun.h"
#include "results/CopyResults.h"
#include "results/SaveResults.h"
#include "shell/ApplicationTitle.h"
#include "shell/ErrorReport.h"
#include "shell/EventBoundary.h"
#include "shell/OutputFolderBrowse.h"
#include "shell/ProgramFiles.h"
#include "shell/StatementTrap.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QTreeView>

namespace tabrivel {

namespace {

constexpr int kListColumnWidth = 480; // 7200 twips
const QString kInputHeader = QStringLiteral("DBF File(s)");
const QString kResultsHeader = QStringLiteral("Result(s)");

template <typename T> T* Named(const QHash<QString, QWidget*>& controls, const char* name) {
    return qobject_cast<T*>(controls.value(QString::fromLatin1(name)));
}

// An option button of a group can be cleared as well as set, leaving the group with
// no selection, as stored settings may ask for.
void SetOptionValue(QRadioButton& option, bool selected) {
    if (selected) {
        option.setChecked(true);
        return;
    }
    option.setAutoExclusive(false);
    option.setChecked(false);
    option.setAutoExclusive(true);
}

void HeadOneColumn(QTreeView& view, const QString& header) {
    view.model()->setHeaderData(0, Qt::Horizontal, header);
}

} // namespace

std::function<double()> SystemRandom() {
    return [] {
        return QRandomGenerator::global()->generateDouble();
    };
}

MainWindow::MainWindow(ShellContext context, QWidget* parent)
    : QWidget(parent), context_(std::move(context)), pointer_(*this) {
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(1064, 408);
    WindowControlSet controls = BuildControls(*this);
    controls_ = controls.byName;
    inputView_ = controls.inputView;
    resultsView_ = controls.resultsView;
    progressBar1_ = controls.progressBar;
    CollectControls();
    ApplyFonts(controls_);
    PaintSurfaces(*this, Qt::white);
    WidenDividerGrip(*inputView_->header());
    WidenDividerGrip(*resultsView_->header());
    inputView_->setDragCursorFile(InputListView::dragCursorFileIn(context_.programFolder));
    ConnectCommands();
    ConnectOptionHandlers();
    ConnectFileDrops();
    WatchPointer();
    conversion_ = std::make_unique<ConversionRun>(*this, CommandLocation("PushButton2"));
    Form_Load();
}

MainWindow::~MainWindow() = default;

void MainWindow::CollectControls() {
    text1_ = Named<QLineEdit>(controls_, "Text1");
    text2_ = Named<QLineEdit>(controls_, "Text2");
    text3_ = Named<QLineEdit>(controls_, "Text3");
    option1_ = Named<QRadioButton>(controls_, "Option1");
    option2_ = Named<QRadioButton>(controls_, "Option2");
    option6_ = Named<QRadioButton>(controls_, "Option6");
    option7_ = Named<QRadioButton>(controls_, "Option7");
    check3_ = Named<QCheckBox>(controls_, "Check3");
    frame2_ = Named<QGroupBox>(controls_, "Frame2");
    option7_->setChecked(true);
    option1_->setChecked(true);
    check3_->setChecked(true);
    const auto busy = [this] {
        return pointer_.isBusy();
    };
    inputView_->setBusyCheck(busy);
    resultsView_->setBusyCheck(busy);
}

void MainWindow::ConnectCommands() {
    for (const ControlSpec& row : WindowControls()) {
        if (row.handler == nullptr)
            continue;
        connect(Named<QPushButton>(controls_, row.name), &QPushButton::clicked, this,
                [this, &row] { AtEventBoundary(row.name, [&] { (this->*row.handler)(); }); });
    }
}

void MainWindow::ConnectOptionHandlers() {
    const auto writeText = [this](QLineEdit* box, Setting setting) {
        connect(box, &QLineEdit::textChanged, this, [this, setting](const QString& text) {
            AtEventBoundary("Change", [&] { context_.settings.write(setting, text); });
        });
    };
    writeText(text1_, Setting::TableName);
    writeText(text2_, Setting::TableDelimited);
    writeText(text3_, Setting::OutputFolder);
    const auto onSelected = [this](QRadioButton* option, const std::function<void()>& handler) {
        connect(option, &QRadioButton::toggled, this, [handler](bool selected) {
            if (selected)
                AtEventBoundary("Click", handler);
        });
    };
    onSelected(option6_, [this] { context_.settings.write(Setting::Option, QStringLiteral("1")); });
    onSelected(option7_, [this] { context_.settings.write(Setting::Option, QStringLiteral("2")); });
    onSelected(option1_, [this] { SaveOptionClicked(); });
    onSelected(option2_, [this] { SaveOptionClicked(); });
    connect(check3_, &QCheckBox::stateChanged, this, [this](int state) {
        AtEventBoundary("Click", [&] {
            context_.settings.write(Setting::Include, TruthText(state != Qt::Unchecked));
        });
    });
}

void MainWindow::ConnectFileDrops() {
    connect(inputView_, &InputListView::filesDropped, this, [this](const QStringList& paths) {
        AtEventBoundary("ListView1_OLEDragDrop", [&] { AddDroppedPaths(*this, paths); });
    });
}

void MainWindow::SaveOptionClicked() {
    context_.settings.write(Setting::Option1, TruthText(option1_->isChecked()));
    context_.settings.write(Setting::Option2, TruthText(option2_->isChecked()));
    frame2_->setEnabled(option1_->isChecked());
}

void MainWindow::WatchPointer() {
    feedback_ = new PointerFeedback(pointer_, this);
    for (QWidget* control : std::as_const(controls_))
        PointerFeedback::keepMovesToItself(control);
    feedback_->watch(this, PointerFeedback::Over::Arrow);
    for (const ControlSpec& row : WindowControls()) {
        if (row.pointer == PointerOver::Unchanged)
            continue;
        const auto over = row.pointer == PointerOver::Hand ? PointerFeedback::Over::Hand
                                                           : PointerFeedback::Over::Arrow;
        QWidget* control = controls_.value(QString::fromLatin1(row.name));
        // Over a list the pointer is decided by its rows' area and its header.
        if (auto* list = qobject_cast<QTreeView*>(control)) {
            feedback_->watch(list->viewport(), over);
            feedback_->watch(list->header(), over);
        } else {
            feedback_->watch(control, over);
        }
    }
}

void MainWindow::Form_Load() {
    StatementTrap<FormLoadStep> trap(Location::FormLoad, ErrorReporter(context_.prompts));
    FormLoadLook(trap);
    FormLoadLists(trap);
    FormLoadOptions(trap);
}

void MainWindow::FormLoadLook(StatementTrap<FormLoadStep>& trap) {
    trap.run(FormLoadStep::ApplySkin, [&] { ApplySkin(*this, context_.programFolder); });
    const QString handFile = BesideProgram(context_.programFolder, QStringLiteral("HAND-M.CUR"));
    if (trap.test(FormLoadStep::CheckHandCursorFile, [&] { return PathStatusReadable(handFile); }))
        trap.run(FormLoadStep::LoadHandCursor,
                 [&] { pointer_.setHandCursor(LoadCursorFile(handFile)); });
    trap.run(FormLoadStep::OpenHomePageSometimes, [&] { OpenHomePageSometimes(); });
    trap.run(FormLoadStep::SetCaptionIconAndTitle, [&] {
        setWindowTitle(kProductName);
        setWindowIcon(QIcon(QStringLiteral(":/tabrivel/tabrivel.ico")));
        applicationTitle_ = DeriveApplicationTitle(kProductName);
    });
}

void MainWindow::FormLoadLists(StatementTrap<FormLoadStep>& trap) {
    trap.run(FormLoadStep::HeadInputList, [&] { HeadOneColumn(*inputView_, kInputHeader); });
    trap.run(FormLoadStep::SizeInputColumn,
             [&] { inputView_->setColumnWidth(0, kListColumnWidth); });
    trap.run(FormLoadStep::HeadResultsList, [&] { HeadOneColumn(*resultsView_, kResultsHeader); });
    trap.run(FormLoadStep::SizeResultsColumn,
             [&] { resultsView_->setColumnWidth(0, kListColumnWidth); });
}

void MainWindow::FormLoadOptions(StatementTrap<FormLoadStep>& trap) {
    Settings& settings = context_.settings;
    if (trap.test(FormLoadStep::CheckInsertOnlyOption,
                  [&] { return SettingToNumber(settings.read(Setting::Option)) == 1; }))
        trap.run(FormLoadStep::SelectInsertOnly, [&] { option6_->setChecked(true); });
    else if (trap.test(FormLoadStep::CheckCreateTableOption,
                       [&] { return SettingToNumber(settings.read(Setting::Option)) == 2; }))
        trap.run(FormLoadStep::SelectCreateTable, [&] { option7_->setChecked(true); });
    QString include;
    trap.run(FormLoadStep::ReadIncludeSetting, [&] { include = settings.read(Setting::Include); });
    if (trap.test(FormLoadStep::CheckIncludeIsTrue,
                  [&] { return include == QLatin1String("True"); }))
        trap.run(FormLoadStep::TickSemicolon, [&] { check3_->setChecked(true); });
    else
        trap.run(FormLoadStep::ClearSemicolon, [&] { check3_->setChecked(false); });
    trap.run(FormLoadStep::RestoreTableName,
             [&] { text1_->setText(settings.read(Setting::TableName)); });
    trap.run(FormLoadStep::RestoreDelimiter,
             [&] { text2_->setText(settings.read(Setting::TableDelimited)); });
    trap.run(FormLoadStep::RestoreOutputFolder,
             [&] { text3_->setText(settings.read(Setting::OutputFolder)); });
    trap.run(FormLoadStep::RestoreSaveToFolder,
             [&] { SetOptionValue(*option1_, SettingToTruth(settings.read(Setting::Option1))); });
    trap.run(FormLoadStep::RestoreSaveBesideOriginal,
             [&] { SetOptionValue(*option2_, SettingToTruth(settings.read(Setting::Option2))); });
    if (trap.test(FormLoadStep::CheckSaveToFolder, [&] { return option1_->isChecked(); }))
        trap.run(FormLoadStep::EnableFolderFrame, [&] { frame2_->setEnabled(true); });
    else
        trap.run(FormLoadStep::DisableFolderFrame, [&] { frame2_->setEnabled(false); });
}

// A build without a real home page of its maker opens nothing, whatever the draw.
void MainWindow::OpenHomePageSometimes() {
    const std::optional<QUrl> homePage = HomePageToOpen(context_.addresses);
    if (!homePage)
        return;
    const int draw = static_cast<int>(context_.random() * 100) + 1;
    if (draw == 7)
        context_.prompts.openUrl(*homePage);
}

void MainWindow::PushButton10_Click() {
    StatementTrap<HelpStep> trap(CommandLocation("PushButton10"), ErrorReporter(context_.prompts));
    trap.run(HelpStep::ShowHelp, [&] {
        context_.prompts.messageBox(applicationTitle_, HelpText(context_.addresses), BoxIcon::None,
                                    BoxButtons::Ok);
    });
}

void MainWindow::PushButton1_Click() {
    AddFilesByDialog(context_.prompts, applicationTitle_, inputList(),
                     CommandLocation("PushButton1"));
}

void MainWindow::PushButton2_Click() {
    conversion_->PushButton2_Click();
}

void MainWindow::PushButton7_Click() {
    ClearInputList(context_.prompts, isBusy(), inputList(), CommandLocation("PushButton7"));
}

void MainWindow::PushButton9_Click() {
    ClearResults(context_.prompts, results(), CommandLocation("PushButton9"));
}

void MainWindow::PushButton4_Click() {
    CopyResultsToClipboard(
        {context_.prompts, CommandLocation("PushButton4"), applicationTitle_, results(), [this] {
             return Yield();
         }});
}

void MainWindow::PushButton8_Click() {
    SaveResultsAsTextFile({context_.prompts, CommandLocation("PushButton8"), applicationTitle_,
                           SaveOptions{saveToFolder(), saveBesideOriginal(), outputFolder()},
                           FolderOfRowOrFirst(inputList(), selectedInput()), results(),
                           [this](bool busy) { setBusy(busy); },
                           [this] {
                               return Yield();
                           }});
}

void MainWindow::PushButton16_Click() {
    BrowseForOutputFolder(
        context_.prompts, context_.settings,
        [this](const QString& folder) { showOutputFolder(folder); },
        CommandLocation("PushButton16"));
}

void MainWindow::PushButton3_Click() {
    StatementTrap<SamplesStep> trap(CommandLocation("PushButton3"),
                                    ErrorReporter(context_.prompts));
    trap.run(SamplesStep::LoadSampleFiles, [&] {
        LoadSampleFiles(inputList(), context_.programFolder, context_.prompts, applicationTitle_);
    });
}

void MainWindow::PushButton5_Click() {
    AddAllFilesInFolder(*this, CommandLocation("PushButton5"));
}

QString MainWindow::tableName() const {
    return text1_->text();
}
QString MainWindow::delimiter() const {
    return text2_->text();
}
QString MainWindow::outputFolder() const {
    return text3_->text();
}
bool MainWindow::insertOnly() const {
    return option6_->isChecked();
}
bool MainWindow::createTable() const {
    return option7_->isChecked();
}
bool MainWindow::saveToFolder() const {
    return option1_->isChecked();
}
bool MainWindow::saveBesideOriginal() const {
    return option2_->isChecked();
}
bool MainWindow::includeSemicolon() const {
    return check3_->checkState() != Qt::Unchecked;
}

void MainWindow::showOutputFolder(const QString& folder) {
    text3_->setText(folder);
}

ProgressDisplay& MainWindow::progress() {
    return *progressBar1_;
}

std::optional<int> MainWindow::selectedInput() const {
    return inputView_->selectedRow();
}

InputListModel& MainWindow::inputList() const {
    return *inputView_->inputModel();
}

ResultsListModel& MainWindow::results() const {
    return *resultsView_->resultsModel();
}

bool MainWindow::Yield() {
    const QPointer<MainWindow> self(this);
    QCoreApplication::processEvents();
    return self && !self->closing_;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Nothing to save and nothing to ask: every option was written when it changed. A
    // command still yielding sees Yield() answer false and returns.
    closing_ = true;
    event->accept();
}

void MainWindow::CentreOnScreen() {
    const QScreen* screen = this->screen();
    if (screen == nullptr)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

} // namespace tabrivel
