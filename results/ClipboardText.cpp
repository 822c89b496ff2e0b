#include "results/ClipboardText.h"

#include "results/ThrottledYield.h"

#include <stdexcept>
#include <vector>

namespace tabrivel {

namespace {

// The widest cell of each column over all rows; nothing when a yield answers false.
std::optional<std::vector<qsizetype>> ColumnWidths(const CellTable& table, ThrottledYield& yield) {
    std::vector<qsizetype> widths(static_cast<std::size_t>(table.columns), 0);
    // The padding of a single column is cut again with the line's trailing blanks, so
    // its width changes nothing and its cells need not be read twice; each row is still
    // visited, with its yield, and a row gone meanwhile still fails here.
    const bool widthMatters = table.columns > 1;
    for (int column = 0; column < table.columns; ++column) {
        const int rows = table.rowCount();
        for (int row = 0; row < rows; ++row) {
            if (!yield())
                return std::nullopt;
            auto& width = widths[static_cast<std::size_t>(column)];
            if (widthMatters)
                width = std::max(width, table.cell(row, column).size());
            else if (row >= table.rowCount())
                throw std::out_of_range("Index out of bounds");
        }
    }
    return widths;
}

void EndLine(QString& text) {
    if (text.endsWith(QLatin1Char('\t')))
        text.chop(1); // the tab after the last cell
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == QLatin1Char(' '))
        --end;
    text.truncate(end);
    text += QLatin1String("\r\n");
}

} // namespace

std::optional<QString> ListViewText(const CellTable& table, const std::function<bool()>& yield) {
    if (table.rowCount() == 0)
        return std::nullopt;
    ThrottledYield throttled(yield);
    const auto widths = ColumnWidths(table, throttled);
    if (!widths)
        return std::nullopt;
    QString text;
    const int rows = table.rowCount();
    for (int row = 0; row < rows; ++row) {
        if (!throttled())
            return std::nullopt;
        if (!table.isChecked(row))
            continue;
        for (int column = 0; column < table.columns; ++column) {
            if (!throttled())
                return std::nullopt;
            const QString cell = table.cell(row, column);
            text += cell;
            const qsizetype width =
                std::max((*widths)[static_cast<std::size_t>(column)], cell.size());
            text.resize(text.size() + width - cell.size(), QLatin1Char(' '));
            text += QLatin1Char('\t');
        }
        EndLine(text);
    }
    return text;
}

CopyEnd CopyListViewToClipboard(Prompts& prompts, const CellTable& table,
                                const std::function<bool()>& yield) {
    if (table.rowCount() == 0)
        return CopyEnd::EmptyList;
    const std::optional<QString> text = ListViewText(table, yield);
    if (!text)
        return CopyEnd::Abandoned;
    prompts.clearClipboard();
    prompts.setClipboardText(*text);
    return CopyEnd::Copied;
}

} // namespace tabrivel
