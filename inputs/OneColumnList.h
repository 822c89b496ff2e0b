#pragma once

class QTreeView;

namespace tabrivel {

// The look both lists of the window share: one headed column of whole rows, no tree
// decoration, one row selected at a time, nothing edited in place, and a column that
// keeps the width it is given (the user widens it by its divider).
void SetUpOneColumnList(QTreeView& view);

} // namespace tabrivel
