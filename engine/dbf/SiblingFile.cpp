#include "SiblingFile.h"

#include "BinaryFile.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace tabrivel::dbf {
namespace {

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::optional<std::filesystem::path> FindSiblingFile(const std::filesystem::path& table,
                                                     std::string_view extension) {
    auto wanted = table;
    wanted.replace_extension(std::filesystem::path(std::string(extension)));
    std::error_code error;
    if (std::filesystem::is_regular_file(wanted, error))
        return wanted;
    const auto wantedName = Utf8Of(wanted.filename());
    const auto folder = table.has_parent_path() ? table.parent_path() : ".";
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (SameIgnoringCase(Utf8Of(it->path().filename()), wantedName) &&
            it->is_regular_file(error))
            return it->path();
    }
    return std::nullopt;
}

} // namespace tabrivel::dbf
