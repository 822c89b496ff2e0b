#include "WindowScan.h"

#include "ErrorReport.h"
#include "MainWindow.h"
#include "PathText.h"

namespace tabrivel {

QString ScanEntry(const QString& folder) {
    return folder.endsWith(NativeSeparator()) ? folder : folder + NativeSeparator();
}

WindowScan::WindowScan(MainWindow& window)
    : window_(&window), closed_(std::make_shared<bool>(false)) {
    hooks_.report = ErrorReporter(window.prompts());
    hooks_.yield = [window = window_, closed = closed_] {
        if (*closed)
            return;
        if (!window || !window->Yield())
            *closed = true;
    };
    hooks_.stopped = [closed = closed_] {
        return *closed;
    };
}

} // namespace tabrivel
