#pragma once

#include "app/WindowPointer.h"
#include "shell/CommandHost.h"
#include "shell/MakerAddresses.h"
#include "shell/Prompts.h"
#include "shell/Settings.h"
#include "shell/StatementTrap.h"

#include <QHash>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace tabrivel {

// The numbered steps of Form_Load, as the error box names them.
enum class FormLoadStep {
    ApplySkin = 100,
    CheckHandCursorFile = 102,
    LoadHandCursor = 104,
    OpenHomePageSometimes = 106,
    SetCaptionIconAndTitle = 108,
    HeadInputList = 110,
    SizeInputColumn = 112,
    HeadResultsList = 114,
    SizeResultsColumn = 116,
    CheckInsertOnlyOption = 118,
    SelectInsertOnly = 120,
    CheckCreateTableOption = 122,
    SelectCreateTable = 124,
    ReadIncludeSetting = 126,
    CheckIncludeIsTrue = 128,
    TickSemicolon = 130,
    ClearSemicolon = 132,
    RestoreTableName = 134,
    RestoreDelimiter = 136,
    RestoreOutputFolder = 138,
    RestoreSaveToFolder = 140,
    RestoreSaveBesideOriginal = 142,
    CheckSaveToFolder = 144,
    EnableFolderFrame = 146,
    DisableFolderFrame = 148,
};

constexpr std::array<FormLoadStep, 25> DeclaredSteps(FormLoadStep) {
    using enum FormLoadStep;
    return {ApplySkin,
            CheckHandCursorFile,
            LoadHandCursor,
            OpenHomePageSometimes,
            SetCaptionIconAndTitle,
            HeadInputList,
            SizeInputColumn,
            HeadResultsList,
            SizeResultsColumn,
            CheckInsertOnlyOption,
            SelectInsertOnly,
            CheckCreateTableOption,
            SelectCreateTable,
            ReadIncludeSetting,
            CheckIncludeIsTrue,
            TickSemicolon,
            ClearSemicolon,
            RestoreTableName,
            RestoreDelimiter,
            RestoreOutputFolder,
            RestoreSaveToFolder,
            RestoreSaveBesideOriginal,
            CheckSaveToFolder,
            EnableFolderFrame,
            DisableFolderFrame};
}

// The numbered step of PushButton10_Click.
enum class HelpStep {
    ShowHelp = 100,
};

constexpr std::array<HelpStep, 1> DeclaredSteps(HelpStep) {
    using enum HelpStep;
    return {ShowHelp};
}

// The numbered step of PushButton3_Click.
enum class SamplesStep {
    LoadSampleFiles = 100,
};

constexpr std::array<SamplesStep, 1> DeclaredSteps(SamplesStep) {
    using enum SamplesStep;
    return {LoadSampleFiles};
}

class CaptionedProgressBar;
class ConversionRun;
class InputListModel;
class InputListView;
class ResultsListModel;
class ResultsListView;

// What the window needs from outside; tests hand in scripted prompts, a temporary
// store, a fixed random source, a folder and the maker's addresses of their own.
struct ShellContext {
    Prompts& prompts;
    Settings& settings;
    std::function<double()> random; // uniform in [0, 1)
    QString programFolder;
    MakerAddresses addresses = BuiltInAddresses();
};

std::function<double()> SystemRandom();

// The program's one window. Construction lays out every control and runs the start-up
// routine, which restores the saved options; the window is then ready to be shown.
class MainWindow : public QWidget, public CommandHost {
    Q_OBJECT

public:
    explicit MainWindow(ShellContext context, QWidget* parent = nullptr);
    ~MainWindow() override;

    const QString& applicationTitle() const override { return applicationTitle_; }
    Prompts& prompts() const override { return context_.prompts; }
    Settings& settings() const override { return context_.settings; }
    WindowPointer& pointer() { return pointer_; }
    const QString& programFolder() const override { return context_.programFolder; }

    QString tableName() const override;
    QString delimiter() const override;
    QString outputFolder() const override;
    bool insertOnly() const override;
    bool createTable() const override;
    bool saveToFolder() const override;
    bool saveBesideOriginal() const override;
    bool includeSemicolon() const override;
    void showOutputFolder(const QString& folder) override;

    InputListModel& inputList() const override;
    std::optional<int> selectedInput() const override;
    ResultsListModel& results() const override;
    ProgressDisplay& progress() override;
    void setBusy(bool busy) override { pointer_.setBusy(busy); }
    bool isBusy() const override { return pointer_.isBusy(); }

    // Any control of the window by its name, as the table names it.
    QWidget* control(const QString& name) const { return controls_.value(name); }

    InputListView* inputView() const { return inputView_; }
    ResultsListView* resultsView() const { return resultsView_; }

    [[nodiscard]] bool Yield() override;
    bool isClosing() const { return closing_; }

    void CentreOnScreen();

    // Start Converting's state and hooks.
    ConversionRun& conversion() const { return *conversion_; }

    // The push buttons' handlers, connected to their buttons by the control table; most
    // hand their work to a command of its own file.
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void PushButton4_Click();
    void PushButton5_Click();
    void PushButton7_Click();
    void PushButton8_Click();
    void PushButton9_Click();
    void PushButton10_Click();
    void PushButton16_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CollectControls();
    void ConnectCommands();
    void ConnectOptionHandlers();
    void ConnectFileDrops();
    void WatchPointer();
    void Form_Load();
    void FormLoadLook(StatementTrap<FormLoadStep>& trap);
    void FormLoadLists(StatementTrap<FormLoadStep>& trap);
    void FormLoadOptions(StatementTrap<FormLoadStep>& trap);
    void OpenHomePageSometimes();
    void SaveOptionClicked();

    ShellContext context_;
    QHash<QString, QWidget*> controls_;
    WindowPointer pointer_;
    PointerFeedback* feedback_ = nullptr;
    QString applicationTitle_;
    bool closing_ = false;

    InputListView* inputView_ = nullptr;
    ResultsListView* resultsView_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QLineEdit* text3_ = nullptr;
    QRadioButton* option1_ = nullptr;
    QRadioButton* option2_ = nullptr;
    QRadioButton* option6_ = nullptr;
    QRadioButton* option7_ = nullptr;
    QCheckBox* check3_ = nullptr;
    QGroupBox* frame2_ = nullptr;
    CaptionedProgressBar* progressBar1_ = nullptr;
    std::unique_ptr<ConversionRun> conversion_;
};

} // namespace tabrivel
