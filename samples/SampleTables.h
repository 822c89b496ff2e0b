#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tabrivel::samples {

// The example tables shipped beside the program, one of each kind a new user is likely to
// meet: a dBase III customer file, a FoxPro 2 product file with memos, a Visual FoxPro
// order file with nulls, currency, date-times and integers, a dBase IV staff file with
// memos and floats, and a Russian client file in the DOS Cyrillic code page.
struct SampleTable {
    std::string fileName;     // the table, e.g. "CUSTOMER.DBF"
    std::string memoFileName; // its memo file, empty when it has none
    std::string description;
};

const std::vector<SampleTable>& SampleTableList();

// Writes every sample table (and memo file) into the folder, replacing what is there.
// The bytes are the same on every run, so the committed copies can be checked against a
// fresh run. Throws std::runtime_error when a file cannot be written.
void WriteSampleTables(const std::filesystem::path& folder);

} // namespace tabrivel::samples
