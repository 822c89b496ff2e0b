#pragma once

#include "CompanionArguments.h"

#include <cstdio>

namespace tabrivel {

// Converts every table of the arguments into the script (`out`, or the output file)
// or the SQLite database, reporting failures on `errors`. Numbers and dates take
// `localeFormat` unless the options ask for the C forms. Returns the exit status:
// 0 when every value of every table arrived, 1 when any table failed or lost values,
// 2 when the output would overwrite an input.
int RunCompanion(const CompanionArguments& arguments, const ValueFormat& localeFormat,
                 std::FILE* out, std::FILE* errors);

// The whole program: parses, then runs; 2 for a usage error.
int CompanionMain(std::span<const std::string> arguments, std::FILE* out, std::FILE* errors);

// The base name a table's statements are named after: the file name without its last
// extension, as the window takes it, in UTF-8 (U+FFFD for each byte that is no UTF-8).
std::string TableBaseName(const std::string& path);

} // namespace tabrivel
