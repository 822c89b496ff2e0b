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
    std::string outputFile;   // empty or "-": standard output
    std::string sqliteFile;   // tables go straight into this SQLite database
    std::string postgresql;   // tables go straight into this PostgreSQL database (conninfo)
    bool verify = false;      // every loaded table read back and compared
    int busyTimeoutMs = 5000; // how long --sqlite waits for a database another holds
    ProgressMode progress = ProgressMode::WhenTerminal;
    std::vector<std::string> tables;
    bool help = false;
    bool version = false;
    bool strict = false; // refuse a table that would lose anything
    int jobs = 1;        // tables converted at once into a script

    bool toStandardOutput() const { return outputFile.empty() || outputFile == "-"; }
    // The tables go into a database, not into a script.
    bool toDatabase() const { return !sqliteFile.empty() || !postgresql.empty(); }
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
