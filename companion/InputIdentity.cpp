#include "InputIdentity.h"

#include "engine/dbf/SiblingFile.h"

#include <filesystem>

namespace tabrivel {
namespace {

constexpr const char* kCompanionFiles[] = {".dbt", ".fpt", ".smt", ".cpg"};

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

} // namespace

std::optional<std::string> InputFileAt(const std::string& output,
                                       std::span<const std::string> tables) {
    // Tables and their memo files are regular files: a device or a pipe (/dev/null, a
    // FIFO) is none of them, which spares looking at every table and its siblings.
    std::error_code error;
    if (!std::filesystem::is_regular_file(output, error))
        return std::nullopt;
    for (const std::string& table : tables) {
        if (SameFile(output, table))
            return table;
        for (const char* extension : kCompanionFiles) {
            const auto sibling = dbf::FindSiblingFile(table, extension);
            if (sibling && SameFile(output, *sibling))
                return sibling->string();
        }
    }
    return std::nullopt;
}

} // namespace tabrivel
