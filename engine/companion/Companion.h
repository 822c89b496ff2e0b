#pragma once

#include "CompanionArguments.h"

#include <cstdio>

namespace tabrivel {

// Converts every table of the arguments into `out`, reporting failures on `errors`.
// Numbers and dates take `format`. Returns the exit status: 0 when every value of every
// table arrived, 1 when any table failed or lost values.
int RunCompanion(const CompanionArguments& arguments, const ValueFormat& format, std::FILE* out,
                 std::FILE* errors);

// The whole program: parses, then runs; 2 for a usage error.
int CompanionMain(std::span<const std::string> arguments, std::FILE* out, std::FILE* errors);

// The base name a table's statements are named after: the file name without its last
// extension, as the window takes it.
std::string TableBaseName(const std::string& path);

} // namespace tabrivel
