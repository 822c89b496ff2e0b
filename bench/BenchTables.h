#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tabrivel::bench {

// Deterministic large tables for the benchmarks, written record by record so a
// million records never sit in memory.

// dBase III, ten fields: name C20, address C40, id N10, amount N12.2, date D, flag L,
// code C10, ratio N8.3, city C30, kind C1; cp1252 text with accents, some blanks and
// apostrophes.
void WriteDbase3Table(const std::string& path, std::uint32_t records);

// Visual FoxPro 0x30 with an .fpt memo: id I, name C30, notes M, stamp T, price Y,
// amount N10.2, flag L, day D.
void WriteFoxProTable(const std::string& dbfPath, const std::string& fptPath,
                      std::uint32_t records);

// The same many records as dBase III tables of 100 records each in `folder`/many-COUNT
// (written once, kept for the next run), a folder of their own; their paths in order.
std::vector<std::filesystem::path> WriteManySmallTables(const std::filesystem::path& folder,
                                                        std::uint32_t records);

} // namespace tabrivel::bench
