#pragma once

#include <optional>
#include <span>
#include <string>

namespace tabrivel {

// The input file that `output` is, by file identity (another name, a link or a
// different spelling of the same file counts): one of the tables, or a memo or code
// page file beside one. Nothing when the output is none of them, does not exist yet or
// is no regular file.
std::optional<std::string> InputFileAt(const std::string& output,
                                       std::span<const std::string> tables);

// For a memo file (.dbt, .fpt, .smt) given in place of its table: the table to give
// instead, the one beside it with the same base name, or that name with .dbf where none
// is. Nothing for any other file.
std::optional<std::string> TableOfMemoFile(const std::string& path);

} // namespace tabrivel
