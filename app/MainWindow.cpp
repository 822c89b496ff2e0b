#include "MainWindow.h"

#include "InputListModel.h"
#include "InputListView.h"
#include "ResultsListModel.h"
#include "ResultsListView.h"

#include "AddFilesByDialog.h"
#include "ApplicationTitle.h"
#include "ClearInputList.h"
#include "ClearResults.h"
#include "ControlTable.h"
#include "ConversionRun.h"
#include "CopyResults.h"
#include "ErrorReport.h"
#include "EventBoundary.h"
#include "HandCursor.h"
#include "MakerAddresses.h"
#include "OutputFolderBrowse.h"
#include "ProgramFiles.h"
#include "SaveResults.h"
#include "StatementTrap.h"
#include "WindowLook.h"
#include "commands/AddFolderFiles.h"
#include "commands/DroppedFiles.h"
#include "commands/SampleFiles.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
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
const QString kInputToolTip = QStringLiteral(
    "Drag and drop files here. Double-click item to remove it. Move | line to right and out of "
    "window to reveal full names.");
const QString kResultsToolTip =
    QStringLiteral("Move | line to right and out of window to reveal full names.");

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
    controls_ = BuildControls(*this);
    CollectControls();
    ApplyFonts(controls_);
    PaintSurfaces(*this, Qt::white);
    listView1_->setToolTip(kInputToolTip);
    listView2_->setToolTip(kResultsToolTip);
    ConnectCommands();
    ConnectOptionHandlers();
    ConnectFileDrops();
    WatchPointer();
    conversion_ = std::make_unique<ConversionRun>(*this);
    Form_Load();
}

MainWindow::~MainWindow() = default;

void MainWindow::CollectControls() {
    listView1_ = Named<QTreeView>(controls_, "ListView1");
    listView2_ = Named<QTreeView>(controls_, "ListView2");
    text1_ = Named<QLineEdit>(controls_, "Text1");
    text2_ = Named<QLineEdit>(controls_, "Text2");
    text3_ = Named<QLineEdit>(controls_, "Text3");
    option1_ = Named<QRadioButton>(controls_, "Option1");
    option2_ = Named<QRadioButton>(controls_, "Option2");
    option6_ = Named<QRadioButton>(controls_, "Option6");
    option7_ = Named<QRadioButton>(controls_, "Option7");
    check3_ = Named<QCheckBox>(controls_, "Check3");
    frame2_ = Named<QGroupBox>(controls_, "Frame2");
    progressBar1_ = Named<QProgressBar>(controls_, "ProgressBar1");
    option7_->setChecked(true);
    option1_->setChecked(true);
    check3_->setChecked(true);
    inputView_ = qobject_cast<InputListView*>(listView1_);
    resultsView_ = qobject_cast<ResultsListView*>(listView2_);
    const auto busy = [this] {
        return pointer_.isBusy();
    };
    inputView_->setBusyCheck(busy);
    resultsView_->setBusyCheck(busy);
}

void MainWindow::ConnectCommands() {
    const std::pair<const char*, void (MainWindow::*)()> commands[] = {
        {"PushButton1", &MainWindow::PushButton1_Click},
        {"PushButton2", &MainWindow::PushButton2_Click},
        {"PushButton3", &MainWindow::PushButton3_Click},
        {"PushButton4", &MainWindow::PushButton4_Click},
        {"PushButton5", &MainWindow::PushButton5_Click},
        {"PushButton7", &MainWindow::PushButton7_Click},
        {"PushButton8", &MainWindow::PushButton8_Click},
        {"PushButton9", &MainWindow::PushButton9_Click},
        {"PushButton10", &MainWindow::PushButton10_Click},
        {"PushButton16", &MainWindow::PushButton16_Click},
    };
    for (const auto& command : commands) {
        // Named copies: clang 14 cannot capture a structured binding in a lambda.
        const char* name = command.first;
        const auto handler = command.second;
        connect(Named<QPushButton>(controls_, name), &QPushButton::clicked, this,
                [this, name, handler] { AtEventBoundary(name, [&] { (this->*handler)(); }); });
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
    const auto onSelected = [this](QRadioButton* option, std::function<void()> handler) {
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
    using Over = PointerFeedback::Over;
    for (const char* name :
         {"PushButton1", "PushButton2", "PushButton3", "PushButton4", "PushButton5", "PushButton7",
          "PushButton8", "PushButton9", "PushButton10", "PushButton16"})
        feedback_->watch(controls_.value(QString::fromLatin1(name)), Over::Hand);
    feedback_->watch(this, Over::Arrow);
    for (const char* name : {"Frame2", "Frame3", "Frame4", "Frame5", "Option6", "Option7", "Text3"})
        feedback_->watch(controls_.value(QString::fromLatin1(name)), Over::Arrow);
    for (QTreeView* list : {listView1_, listView2_}) {
        feedback_->watch(list->viewport(), Over::Arrow);
        feedback_->watch(list->header(), Over::Arrow);
    }
}

void MainWindow::Form_Load() {
    StatementTrap trap(Location::FormLoad, ErrorReporter(context_.prompts));
    FormLoadLook(trap);
    FormLoadLists(trap);
    FormLoadOptions(trap);
}

void MainWindow::FormLoadLook(StatementTrap& trap) {
    trap.run(100, [&] { ApplySkin(*this, context_.programFolder); });
    const QString handFile = BesideProgram(context_.programFolder, QStringLiteral("HAND-M.CUR"));
    if (trap.test(102, [&] { return PathStatusReadable(handFile); }))
        trap.run(104, [&] { pointer_.setHandCursor(LoadCursorFile(handFile)); });
    trap.run(106, [&] { OpenHomePageSometimes(); });
    trap.run(108, [&] {
        setWindowTitle(kProductName);
        setWindowIcon(QIcon(QStringLiteral(":/tabrivel/tabrivel.ico")));
        applicationTitle_ = DeriveApplicationTitle(kProductName);
    });
}

void MainWindow::FormLoadLists(StatementTrap& trap) {
    trap.run(110, [&] { HeadOneColumn(*listView1_, kInputHeader); });
    trap.run(112, [&] { listView1_->setColumnWidth(0, kListColumnWidth); });
    trap.run(114, [&] { HeadOneColumn(*listView2_, kResultsHeader); });
    trap.run(116, [&] { listView2_->setColumnWidth(0, kListColumnWidth); });
}

void MainWindow::FormLoadOptions(StatementTrap& trap) {
    Settings& settings = context_.settings;
    if (trap.test(118, [&] { return SettingToNumber(settings.read(Setting::Option)) == 1; }))
        trap.run(120, [&] { option6_->setChecked(true); });
    else if (trap.test(122, [&] { return SettingToNumber(settings.read(Setting::Option)) == 2; }))
        trap.run(124, [&] { option7_->setChecked(true); });
    QString include;
    trap.run(126, [&] { include = settings.read(Setting::Include); });
    if (trap.test(128, [&] { return include == QLatin1String("True"); }))
        trap.run(130, [&] { check3_->setChecked(true); });
    else
        trap.run(132, [&] { check3_->setChecked(false); });
    trap.run(134, [&] { text1_->setText(settings.read(Setting::TableName)); });
    trap.run(136, [&] { text2_->setText(settings.read(Setting::TableDelimited)); });
    trap.run(138, [&] { text3_->setText(settings.read(Setting::OutputFolder)); });
    trap.run(140,
             [&] { SetOptionValue(*option1_, SettingToTruth(settings.read(Setting::Option1))); });
    trap.run(142,
             [&] { SetOptionValue(*option2_, SettingToTruth(settings.read(Setting::Option2))); });
    if (trap.test(144, [&] { return option1_->isChecked(); }))
        trap.run(146, [&] { frame2_->setEnabled(true); });
    else
        trap.run(148, [&] { frame2_->setEnabled(false); });
}

void MainWindow::OpenHomePageSometimes() {
    const int draw = static_cast<int>(context_.random() * 100) + 1;
    if (draw == 7)
        context_.prompts.openUrl(QUrl(kHomePage));
}

void MainWindow::PushButton10_Click() {
    StatementTrap trap(Location::PushButton10, ErrorReporter(context_.prompts));
    trap.run(100, [&] {
        context_.prompts.messageBox(applicationTitle_,
                                    QStringLiteral("Questions? Please contact Team Marlquist at ") +
                                        kContactPage,
                                    BoxIcon::None, BoxButtons::Ok);
    });
}

void MainWindow::PushButton1_Click() {
    AddFilesByDialog(context_.prompts, applicationTitle_, inputList());
}

void MainWindow::PushButton2_Click() {
    conversion_->PushButton2_Click();
}

void MainWindow::PushButton7_Click() {
    ClearInputList(context_.prompts, pointer_.isBusy(), inputList());
}

void MainWindow::PushButton9_Click() {
    ClearResults(context_.prompts, results());
}

void MainWindow::PushButton4_Click() {
    CopyResultsToClipboard({context_.prompts, applicationTitle_, results(), [this] {
                                return Yield();
                            }});
}

void MainWindow::PushButton8_Click() {
    SaveResultsAsTextFile({context_.prompts, applicationTitle_,
                           SaveOptions{saveToFolder(), saveBesideOriginal(), outputFolder()},
                           inputList(), inputView_->selectedRow(), results(),
                           [this](bool busy) { pointer_.setBusy(busy); },
                           [this] {
                               return Yield();
                           }});
}

void MainWindow::PushButton16_Click() {
    BrowseForOutputFolder(context_.prompts, context_.settings,
                          [this](const QString& folder) { text3_->setText(folder); });
}

void MainWindow::PushButton3_Click() {
    StatementTrap trap(Location::PushButton3, ErrorReporter(context_.prompts));
    trap.run(100, [&] {
        LoadSampleFiles(inputList(), context_.programFolder, context_.prompts, applicationTitle_);
    });
}

void MainWindow::PushButton5_Click() {
    AddAllFilesInFolder(*this);
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
