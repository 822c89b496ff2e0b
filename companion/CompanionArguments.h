#pragma once

#include "LoadOptions.h"
#include "engine/Conversion.h"

#include <span>
#include <string>
#include <vector>

namespace tabrivel {

enum class ProgressMode : std::uint8_t { WhenTerminal, Always, Never };

struct CompanionArguments {
    ConversionOptions options;
    LoadOptions load;
    std::string outputFile; // empty or "-": standard output
    std::string sqliteFile; // tables go straight into this SQLite database
    bool replace = false;   // an existing table of the same name is dropped first
    ProgressMode progress = ProgressMode::WhenTerminal;
    std::vector<std::string> tables;
    bool help = false;
    bool version = false;
    bool strict = false; // refuse a table that would lose anything
    int jobs = 1;        // tables converted at once into a script

    bool toStandardOutput() const { return outputFile.empty() || outputFile == "-"; }
};

struct ParsedArguments {
    CompanionArguments arguments;
    std::string error; // empty when the arguments were understood
};

// The words after the program's name.
ParsedArguments ParseCompanionArguments(std::span<const std::string> arguments);

// The --help text.
std::string CompanionUsage();

} // namespace tabrivel
