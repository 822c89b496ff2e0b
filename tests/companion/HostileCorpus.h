#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tabrivel::testing {

// Tables made to attack the database client a script is piped into: values that try to
// end their literal and run SQL or a client command, field names and file names that try
// the same with the identifier quotes.
struct HostileTable {
    std::string label;    // names a test row
    std::string fileName; // the file's name in the corpus folder, byte for byte
    bool asciiName;       // its file name is plain ASCII
    bool longName;        // its name is longer than PostgreSQL and MySQL take
    bool holdsNul;        // its text holds NUL characters
    bool hostileValues;   // its values attack (not only its names)
};

// Writes every table of the corpus (with memo and .cpg files) into `folder`.
std::vector<HostileTable> WriteHostileCorpus(const std::filesystem::path& folder);

// A table of one character field holding each value in a record of its own, in UTF-8.
void WriteOneColumnTable(const std::filesystem::path& path, const std::vector<std::string>& values);
void WriteOneValueTable(const std::filesystem::path& path, const std::string& value);

} // namespace tabrivel::testing
