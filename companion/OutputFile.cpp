#include "OutputFile.h"

#include "ScriptSink.h"
#include "fs/NativePath.h"

#include <QCoreApplication>

#include <filesystem>
#include <system_error>

namespace tabrivel {
namespace {

namespace fsys = std::filesystem;

// A device or a pipe is opened by its bytes and written directly, and a name that is UTF-8
// reaches Qt whole: neither needs a stand-in.
bool NeedsStandIn(const std::string& name) {
    if (!HasEscapedBytes(DecodeNativeName(name)))
        return false;
    std::error_code error;
    const fsys::file_status status = fsys::status(name, error);
    return !fsys::exists(status) || fsys::is_regular_file(status);
}

// An unused name in the same folder, so that the rename stays on one file system. Its own
// part is plain ASCII: Qt reaches it whenever the folder's name is UTF-8.
std::string StandInBeside(const std::string& name) {
    const fsys::path folder = fsys::path(name).parent_path();
    const std::string stem =
        ".tabrivel-convert-" + std::to_string(QCoreApplication::applicationPid()) + "-";
    for (int attempt = 0;; ++attempt) {
        const fsys::path candidate = folder / (stem + std::to_string(attempt) + ".tmp");
        std::error_code error;
        if (!fsys::exists(fsys::symlink_status(candidate, error)))
            return candidate.string();
    }
}

} // namespace

OutputFile::OutputFile(std::string name) : name_(std::move(name)) {
    if (NeedsStandIn(name_))
        standIn_ = StandInBeside(name_);
}

OutputFile::~OutputFile() {
    if (standIn_.empty())
        return;
    std::error_code error;
    fsys::remove(standIn_, error);
}

void OutputFile::settle() {
    if (standIn_.empty())
        return;
    std::error_code unread;
    const fsys::file_status earlier = fsys::status(name_, unread);
    if (fsys::is_regular_file(earlier)) {
        std::error_code ignored; // the script is whole either way
        fsys::permissions(standIn_, earlier.permissions(), ignored);
    }
    std::error_code error;
    fsys::rename(standIn_, name_, error);
    if (error)
        throw WriteFailed(error.message());
    standIn_.clear();
}

} // namespace tabrivel
