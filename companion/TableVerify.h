#pragma once

#include "CellValue.h"
#include "TablePlan.h"
#include "TableTarget.h"
#include "engine/TableSource.h"

#include <cstdint>
#include <string>

namespace tabrivel {

// A table read again beside the rows its database gives back.
struct Verification {
    std::uint64_t rows = 0;
    std::string difference; // the first cell that differs, or a count that does; empty: none
};

// Compares every cell of every record, as the load wrote it, with the stored row: text
// exactly, numbers by value, logicals by truth, bytes by bytes (`typed`: as typed columns
// give them back).
Verification VerifyTable(TableSource& table, const TablePlan& plan, StoredRows& stored,
                         const CellMaker& cells, bool typed);

} // namespace tabrivel
