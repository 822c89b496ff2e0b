#include "app/ControlTable.h"

#include "app/CaptionedProgressBar.h"
#include "app/MainWindow.h"
#include "app/WholeRectButtons.h"
#include "inputs/InputListModel.h"
#include "inputs/InputListView.h"
#include "results/ResultsListModel.h"
#include "results/ResultsListView.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

namespace tabrivel {

namespace {

using K = ControlKind;
using P = PointerOver;

constexpr std::array kControls{
    ControlSpec{"ListView1", K::ListView, "", nullptr, 120, 120, 7800, 1605, 0, P::Arrow},
    ControlSpec{"PushButton1", K::PushButton, "Add DBF Files", nullptr, 120, 1815, 3840, 405, 5,
                P::Hand, "in Tabrivel2021/08/31.Form1.PushButton1_Click ",
                &MainWindow::PushButton1_Click},
    ControlSpec{"PushButton5", K::PushButton, "Add All DBF Files In Folder", nullptr, 4080, 1815,
                3840, 405, 6, P::Hand, "in Tabrivel2021/08/31.Form1.PushButton5_Click ",
                &MainWindow::PushButton5_Click},
    ControlSpec{"PushButton7", K::PushButton, "Clear List", nullptr, 120, 2325, 3840, 405, 7,
                P::Hand, "in Tabrivel2021/08/31.Form1.PushButton7_Click ",
                &MainWindow::PushButton7_Click},
    ControlSpec{"PushButton3", K::PushButton, "Load Sample/Example Files", nullptr, 4080, 2325,
                3840, 405, 17, P::Hand, "in Tabrivel2021/08/31.Form1.PushButton3_Click ",
                &MainWindow::PushButton3_Click},
    ControlSpec{"Frame4", K::Frame, "Table Name", nullptr, 120, 2790, 7800, 840, 13, P::Arrow},
    ControlSpec{"Text1", K::TextBox, "Text1", "Frame4", 240, 300, 7300, 345, 14},
    ControlSpec{"Frame5", K::Frame, "Table and Field Delimiting Character", nullptr, 120, 3675,
                7800, 880, 15, P::Arrow},
    ControlSpec{"Text2", K::TextBox, "'", "Frame5", 240, 360, 7300, 330, 16},
    ControlSpec{"Frame3", K::Frame, "Options", nullptr, 120, 4620, 7800, 1395, 1, P::Arrow},
    ControlSpec{"Option7", K::OptionButton,
                "Use Create Table command with first row followed by Insert command", "Frame3", 240,
                300, 6315, 255, 3, P::Arrow},
    ControlSpec{"Option6", K::OptionButton, "Use Insert command on all rows", "Frame3", 240, 650,
                6285, 255, 2, P::Arrow},
    ControlSpec{"Check3", K::CheckBox, "Include ; at the end of each line", "Frame3", 240, 1000,
                4095, 255, 12},
    ControlSpec{"PushButton2", K::PushButton, "Start Converting", nullptr, 8040, 120, 7800, 405, 8,
                P::Hand, "in Tabrivel2021/08/31.Form1.PushButton2_Click ",
                &MainWindow::PushButton2_Click},
    ControlSpec{"ListView2", K::ListView, "", nullptr, 8040, 630, 7800, 1950, 4, P::Arrow},
    ControlSpec{"Frame1", K::Frame, "Save Option", nullptr, 8040, 2640, 7800, 1815, 20},
    ControlSpec{"Option1", K::OptionButton, "Save results to this folder:", "Frame1", 240, 300,
                3615, 255, 24},
    ControlSpec{"Frame2", K::Frame, "", "Frame1", 480, 510, 6840, 810, 21, P::Arrow},
    ControlSpec{"Text3", K::TextBox, "", "Frame2", 240, 300, 5670, 345, 22, P::Arrow},
    // The "..." button has always reported as PushButton6.
    ControlSpec{"PushButton16", K::PushButton, "...", "Frame2", 6000, 300, 600, 345, 23, P::Hand,
                "in Tabrivel2021/08/31.Form1.PushButton6_Click ", &MainWindow::PushButton16_Click},
    ControlSpec{"Option2", K::OptionButton, "Save results in folder of original file", "Frame1",
                240, 1410, 3615, 255, 25},
    ControlSpec{"PushButton8", K::PushButton, "Save Results As Text File", nullptr, 8040, 4580,
                3840, 405, 9, P::Hand, "in Tabrivel2021/08/31.Form1.PushButton8_Click ",
                &MainWindow::PushButton8_Click},
    ControlSpec{"PushButton9", K::PushButton, "Clear Results", nullptr, 12000, 4580, 3840, 405, 10,
                P::Hand, "in Tabrivel2021/08/31.Form1.PushButton9_Click ",
                &MainWindow::PushButton9_Click},
    ControlSpec{"PushButton4", K::PushButton, "Copy Results To Clipboard", nullptr, 8040, 5090,
                3840, 405, 11, P::Hand, "in Tabrivel2021/08/31.Form1.PushButton4_Click ",
                &MainWindow::PushButton4_Click},
    ControlSpec{"PushButton10", K::PushButton, "Help", nullptr, 12000, 5090, 3840, 405, 18, P::Hand,
                "in Tabrivel2021/08/31.Form1.PushButton10_Click ", &MainWindow::PushButton10_Click},
    ControlSpec{"ProgressBar1", K::ProgressBar, "Progress Bar", nullptr, 8040, 5610, 7800, 405, 19},
};

// ListView1 holds the input files, ListView2 the statements; each view owns its model.
QTreeView* MakeListView(std::string_view name, WindowControlSet& set) {
    if (name == "ListView1") {
        auto* model = new InputListModel;
        set.inputView = new InputListView(model);
        model->setParent(set.inputView);
        return set.inputView;
    }
    auto* model = new ResultsListModel;
    set.resultsView = new ResultsListView(model);
    model->setParent(set.resultsView);
    return set.resultsView;
}

QProgressBar* MakeProgressBar(const QString& caption, WindowControlSet& set) {
    set.progressBar = new CaptionedProgressBar(caption);
    set.progressBar->setRange(0, 100);
    set.progressBar->setValue(0);
    set.progressBar->setAlignment(Qt::AlignCenter);
    return set.progressBar;
}

QWidget* MakeControl(const ControlSpec& row, WindowControlSet& set) {
    const QString caption = QString::fromUtf8(row.caption);
    switch (row.kind) {
    case K::ListView:
        return MakeListView(row.name, set);
    case K::PushButton:
        return new QPushButton(caption);
    case K::Frame:
        return new QGroupBox(caption);
    case K::TextBox:
        return new QLineEdit(caption);
    case K::OptionButton:
        return new WholeRectRadioButton(caption);
    case K::CheckBox:
        return new WholeRectCheckBox(caption);
    case K::ProgressBar:
        return MakeProgressBar(caption, set);
    }
    return nullptr;
}

// The focus chain follows the order in which controls join the window, so they are
// created in tab order. Every container's tab index is below its contents', so each
// container exists by the time its first control is placed in it.
std::vector<const ControlSpec*> InTabOrder() {
    std::vector<const ControlSpec*> ordered;
    ordered.reserve(std::size(kControls));
    for (const auto& row : kControls)
        ordered.push_back(&row);
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto* a, const auto* b) { return a->tabIndex < b->tabIndex; });
    return ordered;
}

} // namespace

std::span<const ControlSpec> WindowControls() {
    return kControls;
}

QString CommandLocation(std::string_view control) {
    const auto row = std::find_if(kControls.begin(), kControls.end(), [&](const ControlSpec& row) {
        return row.location != nullptr && control == row.name;
    });
    Q_ASSERT(row != kControls.end());
    return row == kControls.end() ? QString() : QString::fromLatin1(row->location);
}

QRect TwipsToPixels(int left, int top, int width, int height) {
    const auto px = [](int twips) {
        return qRound(twips / 15.0);
    };
    return QRect(px(left), px(top), px(width), px(height));
}

WindowControlSet BuildControls(QWidget& window) {
    WindowControlSet set;
    for (const ControlSpec* entry : InTabOrder()) {
        const ControlSpec& row = *entry;
        QWidget* control = MakeControl(row, set);
        const QString name = QString::fromLatin1(row.name);
        control->setObjectName(name);
        QWidget* container =
            row.container ? set.byName.value(QString::fromLatin1(row.container)) : &window;
        Q_ASSERT(container != nullptr);
        control->setParent(container);
        control->setGeometry(TwipsToPixels(row.left, row.top, row.width, row.height));
        set.byName.insert(name, control);
    }
    return set;
}

} // namespace tabrivel
