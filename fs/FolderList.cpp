#include "fs/FolderList.h"

#include <algorithm>

namespace tabrivel {

FolderList& FolderList::operator=(const FolderList& other) {
    // Walks under way keep their places only by index: give them an end to reach.
    entries_ = other.entries_;
    for (Walk* walk : walks_)
        walk->position_ = std::min(walk->position_, count());
    return *this;
}

FolderList::~FolderList() {
    for (Walk* walk : walks_)
        walk->list_ = nullptr;
}

void FolderList::remove(int index) {
    entries_.removeAt(index - 1);
    // A walk at or past the removed entry steps back one, so its next step lands on the
    // entry that followed its current one.
    for (Walk* walk : walks_) {
        if (walk->position_ >= index)
            --walk->position_;
    }
}

int FolderList::indexOf(const QString& folder) const {
    return static_cast<int>(entries_.indexOf(folder)) + 1;
}

FolderList::Walk::Walk(FolderList& list) : list_(&list) {
    list.walks_.push_back(this);
}

FolderList::Walk::~Walk() {
    if (list_)
        std::erase(list_->walks_, this);
}

bool FolderList::Walk::next() {
    if (!list_ || position_ >= list_->count())
        return false;
    ++position_;
    current_ = list_->at(position_);
    return true;
}

} // namespace tabrivel
