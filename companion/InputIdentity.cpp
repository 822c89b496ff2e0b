#include "InputIdentity.h"

#include "engine/dbf/SiblingFile.h"

#include <algorithm>
#include <array>
#include <filesystem>

namespace tabrivel {
namespace {

// The files that go with a table: its memo files, then its code page.
constexpr std::array<const char*, 4> kCompanionFiles = {".dbt", ".fpt", ".smt", ".cpg"};
constexpr auto kMemoFiles = std::span(kCompanionFiles).first<3>();

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

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

std::optional<std::string> TableOfMemoFile(const std::string& path) {
    const std::filesystem::path memo(path);
    const std::string extension = Lower(memo.extension().string());
    if (std::ranges::none_of(kMemoFiles, [&](const char* known) { return extension == known; }))
        return std::nullopt;
    for (const char* table : {".dbf", ".DBF"})
        if (const auto found = dbf::FindSiblingFile(memo, table))
            return found->string();
    return std::filesystem::path(memo).replace_extension(".dbf").string();
}

} // namespace tabrivel
