#pragma once

#include "fs/FolderFiles.h"

#include <QString>

#include <memory>

namespace tabrivel {

class CommandHost;

// Hooks for a folder scan that a window command runs: failures go to the error box,
// naming the scan as their place, every yield lets the window handle its events, and
// once the window closes (or is gone) the scan ends at its next yield without yielding
// again.
class WindowScan {
public:
    explicit WindowScan(CommandHost& host);

    const ScanHooks& hooks() const { return hooks_; }
    // True once the window answered that it is closing: the caller must return at once
    // and touch the window no more.
    bool windowClosed() const { return *closed_; }

private:
    std::shared_ptr<bool> closed_;
    ScanHooks hooks_;
};

} // namespace tabrivel
