#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace tabrivel::dbf {

// The file beside `table` with the same base name and the extension `extension`
// (".fpt"), matched without regard to case: tables copied from Windows arrive as
// CUSTOMERS.DBF with customers.Fpt.
std::optional<std::filesystem::path> FindSiblingFile(const std::filesystem::path& table,
                                                     std::string_view extension);

// The file named `name` in the folder of `table`, matched without regard to case.
std::optional<std::filesystem::path> FindFileBeside(const std::filesystem::path& table,
                                                    const std::filesystem::path& name);

} // namespace tabrivel::dbf
