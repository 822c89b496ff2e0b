#include "inputs/OneColumnList.h"

#include <QHeaderView>
#include <QTreeView>

namespace tabrivel {

void SetUpOneColumnList(QTreeView& view) {
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    view.setUniformRowHeights(true);
    view.setAllColumnsShowFocus(true);
    view.setHeaderHidden(false);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    view.header()->setStretchLastSection(false);
}

} // namespace tabrivel
