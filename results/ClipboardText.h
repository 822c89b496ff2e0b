#pragma once

#include "shell/Prompts.h"

#include <QString>

#include <functional>
#include <optional>

namespace tabrivel {

// Any list laid out as rows and columns of text, read through accessors so that the
// copy sees the list as it stands at each step, also after a yield. An accessor may
// throw for a row that is no longer there.
struct CellTable {
    int columns = 1;
    std::function<int()> rowCount;
    std::function<QString(int row, int column)> cell; // both from 0
    // Only checked rows are copied; a list without check boxes answers true for all.
    std::function<bool(int row)> isChecked;
};

// The list as text: one line per checked row, its cells each padded with blanks to the
// widest cell of its column (over all rows) and followed by a tab; the final tab and
// then the line's trailing blanks are cut and CR LF ends every line. Yields before each
// row of the measuring pass and before each row and each cell of the building pass.
// Nothing when the list has no rows or when a yield answers false (the window closes).
std::optional<QString> ListViewText(const CellTable& table, const std::function<bool()>& yield);

enum class CopyEnd { Copied, EmptyList, Abandoned };

// Puts the list's text on the clipboard, replacing what it held. An empty list leaves
// the clipboard alone.
CopyEnd CopyListViewToClipboard(Prompts& prompts, const CellTable& table,
                                const std::function<bool()>& yield);

} // namespace tabrivel
