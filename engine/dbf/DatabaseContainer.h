#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tabrivel::dbf {

// The long field names a Visual FoxPro database container (.dbc) keeps for one of its
// tables, which stores only their first ten characters itself.
struct ContainerNames {
    std::vector<std::string> names; // one per field, in field order; empty with a problem
    std::string problem;            // why the names cannot be used, for the user
};

// The names that the container `link` names (the table's back-link) keeps for the table
// at `table`, of `fieldCount` fields. The container is looked for beside the table, by the
// link's last part: a table travels with its container, while the folders the link climbs
// through are those of the machine that wrote it.
ContainerNames ReadContainerNames(const std::filesystem::path& table, const std::string& link,
                                  std::size_t fieldCount);

} // namespace tabrivel::dbf
