#pragma once

#include "fs/FolderList.h"

#include <exception>
#include <functional>

namespace tabrivel {

// Receives a failure of one of the scan's numbered statements; the scan goes on.
using ScanFailureReport = std::function<void(int statement, std::exception_ptr failure)>;

// What the folder scan needs from the program around it.
struct ScanHooks {
    // Receives the failures the scan reports (the window shows its error box, naming the
    // scan as the place where it happened).
    ScanFailureReport report;
    // Called at the scan's fixed points so the window can process its events meanwhile.
    std::function<void()> yield;
    // Asked after each yield; true ends the scan at once, leaving the list part-way (the
    // window closed while the scan yielded, and nobody will read the result).
    std::function<bool()> stopped;
};

// Extends the list, in place, with the sub-folders of its entries, level by level
// (breadth-first), each ending with the native separator. With recurse false only the
// direct sub-folders are added. Entries that cannot be read (permission denied, missing)
// are removed; a folder that fails otherwise is abandoned where it failed. Names with odd
// characters and paths reaching the platform's limit are not descended into, and no folder
// is entered or listed twice, so symbolic-link loops end.
void GetSubDirectories2016(FolderList& folders, bool recurse, const ScanHooks& hooks = {});

} // namespace tabrivel
