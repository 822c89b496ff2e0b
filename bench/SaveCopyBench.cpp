// Saves a million INSERT statements of the results list as a text file and copies them
// to the clipboard, with the list's view on screen and every yield going to the event
// loop as the window's does. Prints the time of each beside the time a plain write of
// the same bytes takes, and what the per-row yield costs.
//
//   ./build/release/bin/save-copy-bench [rows] [folder]

#include "SampleStatements.h"
#include "results/CopyResults.h"
#include "results/ResultsListModel.h"
#include "results/ResultsListView.h"
#include "results/SaveResults.h"
#include "results/ThrottledYield.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#include <unistd.h>

using namespace tabrivel;

namespace {

// Answers every question with Yes and puts text on the real clipboard.
class BenchPrompts final : public Prompts {
public:
    QStringList messages;
    BoxAnswer messageBox(const QString&, const QString& text, BoxIcon,
                         BoxButtons buttons) override {
        messages.append(text);
        return buttons == BoxButtons::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    QStringList openFiles(const QString&, const QString&, bool) override { return {}; }
    QString existingDirectory(const QString&, const QString&) override { return {}; }
    void clearClipboard() override { QGuiApplication::clipboard()->clear(); }
    void setClipboardText(const QString& text) override {
        QGuiApplication::clipboard()->setText(text);
    }
    bool openUrl(const QUrl&) override { return false; }
};

// The window's yield: every pending event is handled; counts how often it was asked.
struct CountedYield {
    long calls = 0;
    bool operator()() {
        ++calls;
        QCoreApplication::processEvents();
        return true;
    }
};

double Seconds(const QElapsedTimer& clock) {
    return double(clock.nsecsElapsed()) / 1e9;
}

// The same bytes written in one go, as fast as the disk takes them; with `sync`, also
// forced to the disk before the time is taken, as a save that replaces a file does.
double PlainWriteSeconds(const ResultsListModel& results, const QString& path, bool sync) {
    QElapsedTimer clock;
    clock.start();
    QByteArray all;
    all.reserve(qsizetype(results.textBytes() + 2 * std::size_t(results.count())));
    for (int row = 0; row < results.count(); ++row) {
        const std::string_view text = results.utf8At(row);
        all.append(text.data(), qsizetype(text.size()));
        all.append("\r\n");
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(all) != all.size() || !file.flush())
        return -1;
    if (sync && ::fsync(file.handle()) != 0)
        return -1;
    return Seconds(clock);
}

double SaveSeconds(const ResultsListModel& results, const QString& folder, CountedYield& yield) {
    BenchPrompts prompts;
    QElapsedTimer clock;
    clock.start();
    SaveResultsAsTextFile({prompts, "bench", "bench", SaveOptions{true, false, folder},
                           std::nullopt, results, [](bool) {}, std::ref(yield)});
    const double seconds = Seconds(clock);
    const qint64 expected = qint64(results.textBytes()) + 2 * qint64(results.count());
    const bool whole = QFileInfo(QDir(folder).filePath(kResultsFileName)).size() == expected;
    return prompts.messages.endsWith("Done.") && whole ? seconds : -1;
}

double CopySeconds(const ResultsListModel& results, CountedYield& yield) {
    BenchPrompts prompts;
    QElapsedTimer clock;
    clock.start();
    CopyResultsToClipboard({prompts, "bench", "bench", results, std::ref(yield)});
    const double seconds = Seconds(clock);
    const qsizetype copied = QGuiApplication::clipboard()->text().size();
    return copied > 0 ? seconds : -1;
}

// Nanoseconds per call of a yield that goes to the event loop every time, and of the
// throttled one the loops use.
std::pair<double, double> YieldCosts(int calls) {
    QElapsedTimer clock;
    clock.start();
    for (int k = 0; k < calls; ++k)
        QCoreApplication::processEvents();
    const double every = double(clock.nsecsElapsed()) / calls;
    ThrottledYield throttled([] {
        QCoreApplication::processEvents();
        return true;
    });
    clock.restart();
    for (int k = 0; k < calls; ++k)
        (void)throttled();
    return {every, double(clock.nsecsElapsed()) / calls};
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 1000000;
    QTemporaryDir scratch(argc > 2 ? QString::fromLocal8Bit(argv[2]) + "/save-copy-XXXXXX"
                                   : QDir::currentPath() + "/save-copy-XXXXXX");
    if (!scratch.isValid()) {
        std::fprintf(stderr, "cannot make a scratch folder\n");
        return 1;
    }

    ResultsListModel results;
    ResultsListView view(&results);
    view.resize(800, 600);
    view.show();
    testing::SampleStatements samples;
    for (int k = 0; k < rows; ++k)
        results.append(samples.insert(k));
    results.flushPendingRows();
    QCoreApplication::processEvents();
    const double mib = double(results.textBytes() + 2 * std::size_t(rows)) / 1048576.0;

    const double plain = PlainWriteSeconds(results, scratch.filePath("plain.txt"), false);
    const double synced = PlainWriteSeconds(results, scratch.filePath("synced.txt"), true);
    CountedYield saveYield, copyYield;
    const double save = SaveSeconds(results, scratch.path(), saveYield);
    const double resave = SaveSeconds(results, scratch.path(), saveYield);
    const double copy = CopySeconds(results, copyYield);
    const auto [every, throttled] = YieldCosts(std::min(rows, 200000));

    std::printf("rows:                        %d (%.1f MiB of file text)\n", rows, mib);
    std::printf("plain write of the bytes:    %.3f s (%.0f MiB/s)\n", plain, mib / plain);
    std::printf("plain write, synced:         %.3f s (%.0f MiB/s)\n", synced, mib / synced);
    std::printf("save, new file:              %.3f s (%.0f MiB/s)\n", save, mib / save);
    std::printf("save over the earlier file:  %.3f s (%.0f MiB/s)\n", resave, mib / resave);
    std::printf("event-loop yields in saves:  %ld for %d rows\n", saveYield.calls, 2 * rows);
    std::printf("copy to the clipboard:       %.3f s (%ld event-loop yields)\n", copy,
                copyYield.calls);
    std::printf("yield per row, unthrottled:  %.0f ns\n", every);
    std::printf("yield per row, throttled:    %.0f ns\n", throttled);
    return plain > 0 && synced > 0 && save > 0 && resave > 0 && copy > 0 ? 0 : 1;
}
