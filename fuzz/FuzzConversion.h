#pragma once

#include "FuzzInput.h"

#include <filesystem>

namespace tabrivel::fuzz {

// One folder per fuzzing process, holding nothing but this input's files, so the
// reader's case-insensitive sibling search finds only what the input put there.
class Workspace {
public:
    Workspace();
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Writes the table, its memo and code-page files; gives the table's path.
    const std::filesystem::path& write(const FuzzInput& input);

private:
    std::filesystem::path folder_;
    std::filesystem::path table_;
    std::filesystem::path codePage_;
    std::filesystem::path memo_;
};

// Opens the table, reads every record and builds every statement, exactly as a
// conversion would, and aborts when a statement breaks the promised rules. A
// TableError is a fine outcome and is swallowed.
void ConvertAndCheck(const std::filesystem::path& table, bool localeFormat);

} // namespace tabrivel::fuzz
