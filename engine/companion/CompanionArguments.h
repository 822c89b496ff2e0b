#pragma once

#include "Conversion.h"

#include <span>
#include <string>
#include <vector>

namespace tabrivel {

struct CompanionArguments {
    ConversionOptions options;
    std::string outputFile; // empty: standard output
    std::vector<std::string> tables;
    bool help = false;
    bool strict = false; // refuse a table that would lose anything
};

struct ParsedArguments {
    CompanionArguments arguments;
    std::string error; // empty when the arguments were understood
};

ParsedArguments ParseCompanionArguments(std::span<const std::string> arguments);

extern const char* const kCompanionUsage;

} // namespace tabrivel
