#pragma once

#include "engine/ValueText.h"
#include "shell/StatementTrap.h"

#include <QString>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace tabrivel {

class CommandHost;
class TableSource;

// The numbered steps of PushButton2_Click, as the error box names them. Several are
// carried out inside a neighbouring step (the closing delimiter is chosen at
// ChooseClosingDelimiter, the statements are built by the table conversion at
// AppendCreateTable and AppendInsert, the connection lives and dies with the table), and
// the yields stay outside the trap because a closing window must end the run at once;
// they are declared so that the numbering stays whole.
enum class ConversionStep {
    RefuseSecondRun = 100,
    MarkConverting = 102,
    RefuseWithoutFiles = 104,
    RefuseWithoutFolder = 106,
    ShowBusyPointer = 108,
    ClearResults = 110,
    ReadOpeningDelimiter = 112,
    ChooseClosingDelimiter = 114,
    CloseRoundBracket = 116,
    CompareSquareBracket = 118,
    CloseSquareBracket = 120,
    CompareCurlyBracket = 122,
    CloseCurlyBracket = 124,
    CompareAngleBracket = 126,
    CloseAngleBracket = 128,
    CloseWithOpening = 130,
    ShowBusyPointerAgain = 132,
    CreateConnection = 134,
    CountFiles = 136,
    TakeFilePath = 138,
    ShowFilePercent = 140,
    ShowFileCaption = 142,
    YieldPerFile = 144,
    TakeBaseName = 146,
    TakeFileName = 148,
    OpenTable = 150,
    CreateRecordSet = 152,
    QueryTable = 154,
    SkipUnopenedTable = 156,
    ReadTableNameForCreate = 158,
    CheckCreateTableMode = 160,
    CountFields = 162,
    AddColumn = 164,
    CutLastColumnComma = 170,
    AppendCreateTable = 172,
    SkipEmptyTable = 174,
    MoveToFirstRecord = 176,
    StartRowCounter = 178,
    ClearStatement = 180,
    WhileRecordsRemain = 182,
    ShowRowCaption = 184,
    CheckThousandthRow = 186,
    YieldPerThousandRows = 188,
    StartInsert = 190,
    CountFieldsAgain = 192,
    AddValue = 194,
    CutLastValueComma = 200,
    AppendInsert = 202,
    MoveToNextRecord = 204,
    CountRow = 206,
    ReleaseTable = 208,
    CloseConnection = 210,
    NextFile = 212,
    ReleaseConnection = 214,
    ShowNormalPointer = 216,
    ResetPercent = 218,
    ShowIdleCaption = 220,
    ShowDone = 222,
    ShowMissingFolder = 224,
    ShowNoFiles = 226,
    MarkIdle = 228,
};

constexpr std::array<ConversionStep, 61> DeclaredSteps(ConversionStep) {
    using enum ConversionStep;
    return {RefuseSecondRun,
            MarkConverting,
            RefuseWithoutFiles,
            RefuseWithoutFolder,
            ShowBusyPointer,
            ClearResults,
            ReadOpeningDelimiter,
            ChooseClosingDelimiter,
            CloseRoundBracket,
            CompareSquareBracket,
            CloseSquareBracket,
            CompareCurlyBracket,
            CloseCurlyBracket,
            CompareAngleBracket,
            CloseAngleBracket,
            CloseWithOpening,
            ShowBusyPointerAgain,
            CreateConnection,
            CountFiles,
            TakeFilePath,
            ShowFilePercent,
            ShowFileCaption,
            YieldPerFile,
            TakeBaseName,
            TakeFileName,
            OpenTable,
            CreateRecordSet,
            QueryTable,
            SkipUnopenedTable,
            ReadTableNameForCreate,
            CheckCreateTableMode,
            CountFields,
            AddColumn,
            CutLastColumnComma,
            AppendCreateTable,
            SkipEmptyTable,
            MoveToFirstRecord,
            StartRowCounter,
            ClearStatement,
            WhileRecordsRemain,
            ShowRowCaption,
            CheckThousandthRow,
            YieldPerThousandRows,
            StartInsert,
            CountFieldsAgain,
            AddValue,
            CutLastValueComma,
            AppendInsert,
            MoveToNextRecord,
            CountRow,
            ReleaseTable,
            CloseConnection,
            NextFile,
            ReleaseConnection,
            ShowNormalPointer,
            ResetPercent,
            ShowIdleCaption,
            ShowDone,
            ShowMissingFolder,
            ShowNoFiles,
            MarkIdle};
}

// Start Converting: turns every table of the input list, in list order, into SQL
// statements in the results list, yielding to the window once per table and once per
// thousand records so the window stays responsive, and refusing to start again while it
// runs. Options are read from the window at the moment each is needed, so a change made
// during a yield takes effect from the next statement.
class ConversionRun {
public:
    // Called at every yield, just before the window handles its pending events.
    using YieldObserver = std::function<void()>;
    // Opens a table of the input list; OpenTable unless replaced.
    using TableOpener = std::function<std::unique_ptr<TableSource>(const std::filesystem::path&)>;

    // Failures are reported under `location`.
    ConversionRun(CommandHost& window, QString location);
    ~ConversionRun();

    // How numbers and dates are written; the system locale's unless replaced.
    void setValueFormat(ValueFormat format) { format_ = std::move(format); }
    void setYieldObserver(YieldObserver observer) { observer_ = std::move(observer); }
    void setTableOpener(TableOpener opener) { opener_ = std::move(opener); }

    bool isConverting() const { return isConverting_; }

    void PushButton2_Click();

private:
    struct Pass;
    enum class Outcome { Carried, WindowClosing };

    bool refused(StatementTrap<ConversionStep>& trap);
    Outcome convertAll(Pass& pass);
    Outcome convertFile(Pass& pass, int index);
    void openTable(Pass& pass);
    void noteWarnings(Pass& pass, ConversionStep step);
    void reportWarnings(Pass& pass);
    void appendCreateTable(Pass& pass);
    Outcome convertRecords(Pass& pass);
    bool appendInsert(Pass& pass);
    void showMessage(const QString& text);
    bool yield();

    CommandHost& window_;
    QString location_;
    ValueFormat format_;
    YieldObserver observer_;
    TableOpener opener_;
    bool isConverting_ = false;
};

} // namespace tabrivel
