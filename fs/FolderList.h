#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace tabrivel {

// The ordered folder paths that the folder scan reads and extends in place, each ending
// with a separator. Indexes are 1-based. Entries may be removed while a Walk is under way:
// removing the walk's current entry lets it go on with the entry that followed.
class FolderList {
public:
    FolderList() = default;
    explicit FolderList(QStringList folders) : entries_(std::move(folders)) {}
    FolderList(const FolderList& other) : entries_(other.entries_) {}
    FolderList& operator=(const FolderList& other);
    ~FolderList();

    void append(const QString& folder) { entries_.append(folder); }
    int count() const { return static_cast<int>(entries_.size()); }
    const QString& at(int index) const { return entries_.at(index - 1); }
    void remove(int index);
    // The 1-based index of the first entry equal to the folder, exactly; 0 when none is.
    int indexOf(const QString& folder) const;
    const QStringList& entries() const { return entries_; }

    // Walks the entries from first to last, also those appended meanwhile:
    //   for (FolderList::Walk walk(list); walk.next();) use(walk.current());
    class Walk {
    public:
        explicit Walk(FolderList& list);
        ~Walk();
        Walk(const Walk&) = delete;
        Walk& operator=(const Walk&) = delete;

        bool next();
        // The entry the walk stands on. After that entry was removed it stays readable as
        // it was until next() moves on.
        const QString& current() const { return current_; }

    private:
        friend class FolderList;
        FolderList* list_;
        int position_ = 0; // 1-based index of the current entry; 0 before the first
        QString current_;
    };

private:
    QStringList entries_;
    std::vector<Walk*> walks_;
};

} // namespace tabrivel
