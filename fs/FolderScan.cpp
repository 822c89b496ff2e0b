#include "fs/FolderScan.h"

#include "fs/DirectoryReader.h"
#include "fs/FileQueries.h"
#include "fs/FolderFiles.h"
#include "fs/FolderObject.h"
#include "fs/NumberedSteps.h"
#include "fs/PathText.h"

#include <QSet>

#include <optional>

namespace tabrivel {

namespace {

// Shared by the nested calls of one scan: the folders already collected into the result
// and those already listed, by identity, so that links cannot lead the scan in circles.
struct ScanContext {
    const ScanHooks& hooks;
    QSet<QString> collected;
    QSet<QString> entered;

    void yield() const {
        if (hooks.yield)
            hooks.yield();
    }
    bool stopped() const { return hooks.stopped && hooks.stopped(); }
};

// Runs the scan's numbered statements. With a reporter a failing statement is reported
// and the scan carries on with the next one, and a test that fails counts as true, as
// every trapped routine of the program behaves; without one the statement runs bare, so
// that the per-folder handler sees its failure.
class StepRunner {
    static_assert(RisesWithoutRepeats<ScanStep>(), "the scan's steps rise, each once");

public:
    explicit StepRunner(const ScanFailureReport* report) : report_(report) {}

    template <typename Statement> bool run(ScanStep step, Statement&& statement) {
        if (!report_) {
            statement();
            return true;
        }
        return RunStep(step, statement, [this](int number, const std::exception_ptr& failure) {
            if (*report_)
                (*report_)(number, failure);
        });
    }
    template <typename Condition> bool test(ScanStep step, Condition&& condition) {
        return TestStep(*this, step, condition);
    }

private:
    const ScanFailureReport* report_;
};

bool AcceptsFolderName(const QString& name) {
    return !ReachesPathLimit(name) && !HasOddCharacters(name) && !name.contains(u'?') &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

// Records the key; true when it was not there yet.
bool FirstTime(QSet<QString>& seen, const QString& key) {
    const qsizetype before = seen.size();
    seen.insert(key);
    return seen.size() != before;
}

// One level of the scan: the entries of one list and the sub-folders found below them.
class LevelScan {
public:
    LevelScan(FolderList& list, ScanContext& context)
        : list_(list), context_(context), steps_(&context.hooks.report) {}

    void run(bool recurse) {
        FolderList found;
        steps_.run(ScanStep::WalkEntries, [&] {
            for (FolderList::Walk walk(list_); !context_.stopped() && walk.next();)
                scanEntry(walk.current(), found);
        });
        if (context_.stopped())
            return;
        if (recurse && found.count() > 0)
            steps_.run(ScanStep::ScanNextLevel, [&] { LevelScan(found, context_).run(true); });
        steps_.run(ScanStep::WalkFound, [&] { appendFound(found); });
    }

private:
    void scanEntry(const QString& folder, FolderList& found) {
        bool enter = false;
        if (perFolderTrap_) {
            underFolderTrap(folder, [&] {
                StepRunner bare(nullptr);
                enter = prepare(bare, folder);
            });
        } else {
            enter = prepare(steps_, folder);
        }
        if (!enter)
            return;
        perFolderTrap_ = true;
        underFolderTrap(folder, [&] { listSubFolders(folder, found); });
    }

    // The checks before a folder is listed; false leaves it in the list unlisted.
    bool prepare(StepRunner& steps, const QString& folder) {
        if (steps.test(ScanStep::SkipNonFolder, [&] { return !IsFolder(folder); }))
            return false;
        if (steps.test(ScanStep::SkipLongPath, [&] { return ReachesPathLimit(folder); }))
            return false;
        std::optional<FolderObject> object;
        steps.run(ScanStep::OpenFolder, [&] { object = OpenFolder(folder); });
        steps.run(ScanStep::YieldPerEntry, [&] { context_.yield(); });
        if (context_.stopped())
            return false;
        if (steps.test(ScanStep::SkipExcludedFolder,
                       [&] { return RequireFolder(object).isExcluded(); }))
            return false;
        return firstEntry(folder);
    }

    // A folder already listed by another path is not listed again.
    bool firstEntry(const QString& folder) {
        const std::optional<QString> identity = FolderIdentity(folder);
        return !identity || FirstTime(context_.entered, *identity);
    }

    void listSubFolders(const QString& folder, FolderList& found) {
        const QString prefix = ScanEntry(folder);
        DirectoryReader reader(folder);
        while (const std::optional<DirectoryEntry> entry = reader.next()) {
            if (!MayBeFolder(*entry))
                continue;
            const QString path = prefix + entry->name;
            const std::optional<QString> identity = FolderIdentity(path);
            if (!identity)
                continue; // not a folder, or gone
            context_.yield();
            if (context_.stopped())
                return;
            // A folder already collected by another path (a link back up the tree, or a
            // second link to one place) is not collected again.
            if (AcceptsFolderName(entry->name) && FirstTime(context_.collected, *identity))
                found.append(path + NativeSeparator());
        }
    }

    static bool MayBeFolder(const DirectoryEntry& entry) {
        if (entry.kind != DirectoryEntry::Kind::Folder &&
            entry.kind != DirectoryEntry::Kind::Unknown)
            return false;
        return entry.name != QLatin1String(".") && entry.name != QLatin1String("..");
    }

    // Failures of one folder's listing are never reported: an unreadable folder leaves the
    // list, and any other failure abandons just that folder.
    template <typename Steps> void underFolderTrap(const QString& folder, Steps&& steps) {
        try {
            steps();
        } catch (const FolderError& error) {
            if (!error.isUnreadable())
                return;
            if (const int index = list_.indexOf(folder); index > 0)
                list_.remove(index);
        } catch (...) {
        }
    }

    void appendFound(FolderList& found) {
        for (FolderList::Walk walk(found); !context_.stopped() && walk.next();) {
            const QString& folder = walk.current();
            if (!steps_.test(ScanStep::CheckFoundIsFolder, [&] { return IsFolder(folder); }))
                continue;
            steps_.run(ScanStep::YieldPerFound, [&] { context_.yield(); });
            if (steps_.test(ScanStep::CheckFoundNotExcluded,
                            [&] { return !OpenFolder(folder).isExcluded(); }))
                steps_.run(ScanStep::AppendFound, [&] { list_.append(folder); });
        }
    }

    FolderList& list_;
    ScanContext& context_;
    StepRunner steps_;
    bool perFolderTrap_ = false;
};

} // namespace

void GetSubDirectories2016(FolderList& folders, bool recurse, const ScanHooks& hooks) {
    ScanContext context{hooks, {}, {}};
    for (const QString& folder : folders.entries()) {
        if (const std::optional<QString> identity = FolderIdentity(folder))
            context.collected.insert(*identity);
    }
    LevelScan(folders, context).run(recurse);
}

} // namespace tabrivel
