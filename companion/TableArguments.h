#pragma once

#include <string>
#include <vector>

namespace tabrivel {

// A folder among the tables stands for every table of its tree, found by the window's own
// folder scan (the same order, the same rules on hidden files, "~" names and links): the
// files whose names end in .`extension` ("*" for every file). Files and "-" stand for
// themselves. An error text when a folder holds no table; empty otherwise.
std::string ExpandFolders(std::vector<std::string>& tables, const std::string& extension);

} // namespace tabrivel
