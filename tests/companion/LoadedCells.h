#pragma once

#include "TableReading.h"
#include "companion/LoadOptions.h"

#include <QMetaType>

#include <optional>
#include <string>
#include <vector>

namespace tabrivel::testing {

// What a database must hold for one value after a load with given options, worked out
// from the options' meaning, not from the writer's code.
struct ExpectedCell {
    enum class Kind : std::uint8_t {
        Null,    // SQL NULL
        Exact,   // exactly this text
        Number,  // this number, in whatever form the database prints it
        Logical, // "True" or "False"
        Binary,  // these bytes
    };
    Kind kind = Kind::Null;
    std::string text;
    // A text holding NUL bytes, as SQLite stores it when loaded directly: its bytes.
    std::string bytes = {};
};

using StoredRow = std::vector<std::optional<std::string>>;

// The cells a table must read back as, record by record.
std::vector<std::vector<ExpectedCell>> ExpectedLoad(const std::filesystem::path& table,
                                                    const LoadOptions& load);

// The first cell that differs, as a message; empty when every cell matches.
std::string FirstMismatch(const std::vector<StoredRow>& stored,
                          const std::vector<std::vector<ExpectedCell>>& expected);

// The options as the command line spells them.
std::vector<std::string> CommandLine(const LoadOptions& load);

// Every combination of the options a dialect takes (COPY only where asked, and never
// with batches, which it has no use for).
std::vector<LoadOptions> EveryCombination(Dialect dialect, bool withCopy);

} // namespace tabrivel::testing

Q_DECLARE_METATYPE(tabrivel::LoadOptions)
