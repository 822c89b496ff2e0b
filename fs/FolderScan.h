#pragma once

#include "fs/FolderList.h"

#include <array>
#include <exception>
#include <functional>

namespace tabrivel {

// The numbered steps of GetSubDirectories2016, as the error box names them. The first two
// need no statement of their own here, and the listing of one folder (ListSubFolders to
// RemoveUnreadable) runs under a trap of its own that reports nothing; they are declared
// so that the numbering stays whole.
enum class ScanStep {
    CreateFileService = 100,
    StartFoundList = 104,
    WalkEntries = 106,
    SkipNonFolder = 108,
    SkipLongPath = 110,
    OpenFolder = 112,
    YieldPerEntry = 114,
    SkipExcludedFolder = 116,
    ListSubFolders = 118,
    YieldPerSubFolder = 120,
    TakeName = 122,
    CheckNameLength = 124,
    CheckOddCharacters = 126,
    CheckQuestionMark = 128,
    CheckDotNames = 130,
    AcceptSubFolder = 132,
    AppendSubFolder = 134,
    ClearUnreadable = 138,
    ClearErrorNumber = 140,
    StartEntrySearch = 142,
    CompareEntry = 144,
    NextEntry = 146,
    RemoveUnreadable = 148,
    ScanNextLevel = 150,
    WalkFound = 152,
    CheckFoundIsFolder = 154,
    YieldPerFound = 156,
    CheckFoundNotExcluded = 158,
    AppendFound = 160,
};

constexpr std::array<ScanStep, 29> DeclaredSteps(ScanStep) {
    using enum ScanStep;
    return {CreateFileService,  StartFoundList,     WalkEntries,      SkipNonFolder,
            SkipLongPath,       OpenFolder,         YieldPerEntry,    SkipExcludedFolder,
            ListSubFolders,     YieldPerSubFolder,  TakeName,         CheckNameLength,
            CheckOddCharacters, CheckQuestionMark,  CheckDotNames,    AcceptSubFolder,
            AppendSubFolder,    ClearUnreadable,    ClearErrorNumber, StartEntrySearch,
            CompareEntry,       NextEntry,          RemoveUnreadable, ScanNextLevel,
            WalkFound,          CheckFoundIsFolder, YieldPerFound,    CheckFoundNotExcluded,
            AppendFound};
}

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
