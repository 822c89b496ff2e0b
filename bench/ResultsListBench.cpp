// Appends a million INSERT statements to the results list with its view on screen,
// yielding to the event loop every 1000 rows as a conversion does, and prints the time
// taken and the memory the list holds against the UTF-8 size of its statements.
//
//   ./build/release/bin/results-list-bench [rows]

#include "SampleStatements.h"
#include "results/ResultsListModel.h"
#include "results/ResultsListView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>

using namespace tabrivel;

namespace {

// Resident memory of this process in bytes, or 0 where /proc is not available.
double ResidentBytes() {
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096.0 : 0;
}

struct Run {
    qint64 appendMs = 0;
    qint64 longestYieldGapMs = 0;
    int batches = 0;
};

Run AppendAll(ResultsListModel& model, int rows) {
    testing::SampleStatements samples;
    Run run;
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, [&run] { ++run.batches; });
    QElapsedTimer total, sinceYield;
    total.start();
    sinceYield.start();
    for (int k = 0; k < rows; ++k) {
        model.append(samples.insert(k));
        if (k % 1000 == 999) {
            QCoreApplication::processEvents();
            run.longestYieldGapMs = std::max(run.longestYieldGapMs, sinceYield.restart());
        }
    }
    model.flushPendingRows();
    QCoreApplication::processEvents();
    run.appendMs = total.elapsed();
    return run;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 1000000;

    ResultsListModel model;
    ResultsListView view(&model);
    view.resize(800, 600);
    view.show();
    QCoreApplication::processEvents();

    const double residentBefore = ResidentBytes();
    const Run run = AppendAll(model, rows);
    const double residentAfter = ResidentBytes();

    QElapsedTimer clock;
    clock.start();
    view.scrollToBottom();
    view.repaint();
    const qint64 paintMs = clock.restart();
    model.removeAt(model.count() / 2);
    const double removeMs = double(clock.nsecsElapsed()) / 1e6;

    const double text = double(model.textBytes());
    const double held = double(model.memoryBytes());
    const double limit = 1.25 * text + 16.0 * rows;
    std::printf("rows appended:               %d\n", rows);
    std::printf("append time with view:       %lld ms (%d batches told to the view)\n",
                static_cast<long long>(run.appendMs), run.batches);
    std::printf("longest gap between yields:  %lld ms\n",
                static_cast<long long>(run.longestYieldGapMs));
    std::printf("scroll to the end + paint:   %lld ms\n", static_cast<long long>(paintMs));
    std::printf("remove the middle row:       %.2f ms\n", removeMs);
    std::printf("UTF-8 text of the rows:      %.1f MiB\n", text / 1048576.0);
    std::printf("list memory (estimate):      %.1f MiB = %.3f x text, %.1f B/row beyond the text\n",
                held / 1048576.0, held / text, (held - text) / rows);
    std::printf("target:                      %.1f MiB (1.25 x text + 16 B/row): %s\n",
                limit / 1048576.0, held <= limit ? "met" : "MISSED");
    std::printf("process growth (list+view):  %.1f MiB\n",
                (residentAfter - residentBefore) / 1048576.0);
    return held <= limit ? 0 : 1;
}
