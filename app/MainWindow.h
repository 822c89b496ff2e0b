#pragma once

#include "Prompts.h"
#include "Settings.h"
#include "WindowPointer.h"

#include <QHash>
#include <QWidget>

#include <functional>
#include <memory>

class QAbstractItemModel;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeView;

namespace tabrivel {

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
class MainWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(ShellContext context, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The caption of every box that names no title of its own.
    const QString& applicationTitle() const { return applicationTitle_; }

    Prompts& prompts() const { return context_.prompts; }
    Settings& settings() const { return context_.settings; }
    WindowPointer& pointer() { return pointer_; }
    // The folder of the program's executable; the files installed beside it live there.
    const QString& programFolder() const { return context_.programFolder; }

    // The options, read at the moment a command needs them.
    QString tableName() const;       // Text1
    QString delimiter() const;       // Text2
    QString outputFolder() const;    // Text3
    bool insertOnly() const;         // Option6
    bool createTable() const;        // Option7
    bool saveToFolder() const;       // Option1
    bool saveBesideOriginal() const; // Option2
    bool includeSemicolon() const;   // Check3

    QLineEdit* text3() const { return text3_; }
    QProgressBar* progressBar1() const { return progressBar1_; }
    QTreeView* listView1() const { return listView1_; }
    QTreeView* listView2() const { return listView2_; }
    QWidget* control(const QString& name) const { return controls_.value(name); }

    // The input files (ListView1) and the statements (ListView2).
    InputListModel& inputList() const;
    ResultsListModel& results() const;
    InputListView* inputView() const { return inputView_; }
    ResultsListView* resultsView() const { return resultsView_; }

    // Lets the window handle pending events in the middle of a long command. False once
    // the window is closing or gone: the caller must then return at once and must not
    // touch the window again.
    [[nodiscard]] bool Yield();
    bool isClosing() const { return closing_; }

    void CentreOnScreen();

    // Start Converting's state and hooks.
    ConversionRun& conversion() const { return *conversion_; }

public slots:
    // Button handlers; most hand their work to a command of its own file.
    virtual void PushButton1_Click();
    virtual void PushButton2_Click();
    virtual void PushButton3_Click();
    virtual void PushButton4_Click();
    virtual void PushButton5_Click();
    virtual void PushButton7_Click();
    virtual void PushButton8_Click();
    virtual void PushButton9_Click();
    virtual void PushButton16_Click();
    void PushButton10_Click();

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

    QTreeView* listView1_ = nullptr;
    QTreeView* listView2_ = nullptr;
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
    QProgressBar* progressBar1_ = nullptr;
    std::unique_ptr<ConversionRun> conversion_;
};

} // namespace tabrivel
