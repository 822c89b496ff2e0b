#include "engine/dbf/SiblingFile.h"

#include "engine/dbf/BinaryFile.h"

#include <cctype>
#include <chrono>
#include <mutex>
#include <string>
#include <system_error>
#include <unordered_map>

namespace tabrivel::dbf {
namespace {

namespace fs = std::filesystem;

std::string Lowered(std::string text) {
    for (auto& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// No table is looked for as another one's sibling, and a folder of thousands of tables
// is listed while every worker waits for it: kept out, they leave the listing small.
bool IsTableName(std::string_view lowerName) {
    return lowerName.ends_with(".dbf");
}

// Looking for a sibling whose case differs means listing the folder, and a folder
// holding thousands of tables was listed once for each of them. The last folder's
// listing is kept and used again while the folder is unchanged. A folder modified
// moments before it was listed may change again within the same timestamp tick, so
// such a listing is not trusted a second time.
class FolderListingCache {
public:
    std::optional<fs::path> find(const fs::path& folder, const std::string& lowerName) {
        std::error_code error;
        const auto modified = fs::last_write_time(folder, error);
        if (error)
            return std::nullopt;
        const std::lock_guard lock(mutex_);
        if (!(settled_ && folder_ == folder && modified_ == modified))
            relist(folder, modified);
        const auto found = files_.find(lowerName);
        return found == files_.end() ? std::nullopt : std::optional(found->second);
    }

private:
    void relist(const fs::path& folder, fs::file_time_type modified) {
        files_.clear();
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            if (!it->is_regular_file(error))
                continue;
            auto lowerName = Lowered(Utf8Of(it->path().filename()));
            if (!IsTableName(lowerName))
                files_.emplace(std::move(lowerName), it->path());
        }
        folder_ = folder;
        modified_ = modified;
        settled_ = fs::file_time_type::clock::now() - modified > std::chrono::seconds(2);
    }

    std::mutex mutex_;
    fs::path folder_;
    fs::file_time_type modified_;
    bool settled_ = false;
    std::unordered_map<std::string, fs::path> files_;
};

FolderListingCache& Listings() {
    static FolderListingCache cache;
    return cache;
}

} // namespace

std::optional<fs::path> FindSiblingFile(const fs::path& table, std::string_view extension) {
    auto wanted = table;
    wanted.replace_extension(fs::path(std::string(extension)));
    return FindFileBeside(table, wanted.filename());
}

std::optional<fs::path> FindFileBeside(const fs::path& table, const fs::path& name) {
    const auto wanted = table.parent_path() / name;
    std::error_code error;
    if (fs::is_regular_file(wanted, error))
        return wanted;
    const auto folder = table.has_parent_path() ? table.parent_path() : ".";
    return Listings().find(folder, Lowered(Utf8Of(wanted.filename())));
}

} // namespace tabrivel::dbf
