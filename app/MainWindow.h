#pragma once

#include "app/WindowPointer.h"
#include "shell/CommandHost.h"
#include "shell/Prompts.h"
#include "shell/Settings.h"

#include <QHash>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace tabrivel {

class CaptionedProgressBar;
class ConversionRun;
class InputListModel;
class InputListView;
class ResultsListModel;
class ResultsListView;
class StatementTrap;

// What the window needs from outside; tests hand in scripted prompts, a temporary
// store, a fixed random source and a folder of their own.
struct ShellContext {
    Prompts& prompts;
    Settings& settings;
    std::function<double()> random; // uniform in [0, 1)
    QString programFolder;
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
    void FormLoadLook(StatementTrap& trap);
    void FormLoadLists(StatementTrap& trap);
    void FormLoadOptions(StatementTrap& trap);
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
