#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tabrivel::fuzz {

// A table, its memo file and its code-page file, expanded from a recipe.
struct ExpandedTable {
    std::string table;
    std::string memo;
    std::string memoExtension; // empty: no memo file
    std::string codePageFile;  // empty: no .cpg file
    bool localeFormat = false;
};

// Reads a few dozen bytes as a recipe for a table of up to several megabytes: its
// format, its fields, how many records, how many memos of which length, which records
// are deleted, where table and memo are cut, and the .cpg beside it. Record and memo
// bytes are the recipe's remaining bytes repeated, each record shifted, so the reader's
// read-ahead windows, record chunks and memo blocks are crossed at every offset.
ExpandedTable ExpandRecipe(const std::uint8_t* data, std::size_t size);

} // namespace tabrivel::fuzz
