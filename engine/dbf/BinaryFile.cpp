#include "engine/dbf/BinaryFile.h"

#include "engine/TableError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tabrivel::dbf {

std::string Utf8Of(const std::filesystem::path& path) {
    // u8string never throws for names the system's narrow code page cannot spell.
    const auto text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

std::string DisplayName(const std::filesystem::path& path) {
    return Utf8Of(path.filename());
}

namespace {

// Why a path that is not a regular file cannot be a table, or, with an error, why it
// could not be looked at, in the system's own words ("Permission denied"). The error
// category is safe to ask from several threads at once, where strerror is not.
[[noreturn]] void FailNotAFile(const std::string& name, std::error_code error, bool isFolder) {
    std::string reason;
    if (error == std::errc::no_such_file_or_directory)
        reason = "file not found";
    else if (error)
        reason = "cannot be opened: " + error.message();
    else if (isFolder)
        reason = "a folder, not a DBF table";
    else
        reason = "not a regular file, so not a DBF table";
    throw TableError(TableErrorCode::CannotOpen, name, 0, name + ": " + reason);
}

[[noreturn]] void FailOpen(const std::string& name, std::error_code error) {
    throw TableError(TableErrorCode::CannotOpen, name, 0,
                     name + ": cannot be opened: " + error.message());
}

std::error_code LastSystemError() {
    return {errno, std::generic_category()};
}

} // namespace

#if defined(__unix__) || defined(__APPLE__)

BinaryFile::BinaryFile(const std::filesystem::path& path) : name_(DisplayName(path)) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        FailNotAFile(name_, LastSystemError(), false);
    if (!S_ISREG(status.st_mode))
        FailNotAFile(name_, {}, S_ISDIR(status.st_mode));
    size_ = static_cast<std::uint64_t>(status.st_size);
    if (size_ >= MappedFile::kSmallestMapped)
        mapped_ = MappedFile::Map(path);
    if (mapped_) {
        size_ = mapped_->size();
        return;
    }
    // Not blocking: a pipe put in the table's place since it was looked at would wait
    // for a writer.
    descriptor_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor_ < 0)
        FailOpen(name_, LastSystemError());
}

BinaryFile::~BinaryFile() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

std::size_t BinaryFile::readFromDisk(std::uint64_t offset, char* into, std::size_t count) {
    std::size_t got = 0;
    while (got < count && offset + got < size_) {
        const ssize_t read =
            ::pread(descriptor_, into + got, count - got, static_cast<off_t>(offset + got));
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            break;
        got += static_cast<std::size_t>(read);
    }
    if (got < count && offset + got < size_)
        throw TableError(TableErrorCode::ReadFailed, name_, offset + got,
                         name_ + ": read error at offset " + std::to_string(offset + got));
    return got;
}

#else

BinaryFile::BinaryFile(const std::filesystem::path& path) : name_(DisplayName(path)) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status))
        FailNotAFile(name_,
                     error ? error : std::make_error_code(std::errc::no_such_file_or_directory),
                     false);
    if (!std::filesystem::is_regular_file(status))
        FailNotAFile(name_, {}, std::filesystem::is_directory(status));
    size_ = std::filesystem::file_size(path, error);
    if (!error && size_ >= MappedFile::kSmallestMapped)
        mapped_ = MappedFile::Map(path);
    if (mapped_) {
        size_ = mapped_->size();
        return;
    }
    stream_.open(path, std::ios::binary);
    if (error || !stream_)
        FailOpen(name_, error ? error : LastSystemError());
}

BinaryFile::~BinaryFile() = default;

std::size_t BinaryFile::readFromDisk(std::uint64_t offset, char* into, std::size_t count) {
    stream_.clear();
    stream_.seekg(static_cast<std::streamoff>(offset));
    stream_.read(into, static_cast<std::streamsize>(count));
    const auto got = static_cast<std::size_t>(stream_.gcount());
    if (got < count && offset + got < size_)
        throw TableError(TableErrorCode::ReadFailed, name_, offset + got,
                         name_ + ": read error at offset " + std::to_string(offset + got));
    return got;
}

#endif

void BinaryFile::readAt(std::uint64_t offset, char* into, std::size_t count) {
    if (readSomeAt(offset, into, count) != count)
        throw TableError(TableErrorCode::ReadFailed, name_, offset,
                         name_ + ": reading " + std::to_string(count) + " bytes at offset " +
                             std::to_string(offset) + " failed");
}

std::size_t BinaryFile::readSomeAt(std::uint64_t offset, char* into, std::size_t count) {
    if (offset >= size_ || count == 0)
        return 0;
    if (mapped_) {
        const auto got = static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - offset));
        std::memcpy(into, viewAt(offset, got), got);
        checkWhole();
        return got;
    }
    if (count >= kWindowSize)
        return readFromDisk(offset, into, count);
    const bool inWindow =
        offset >= windowOffset_ && offset + count <= windowOffset_ + windowFilled_;
    if (!inWindow) {
        if (!window_)
            window_.reset(new char[kWindowSize]);
        windowFilled_ = 0;
        windowFilled_ = readFromDisk(offset, window_.get(), kWindowSize);
        windowOffset_ = offset;
    }
    const std::size_t got = static_cast<std::size_t>(
        std::min<std::uint64_t>(count, windowOffset_ + windowFilled_ - offset));
    std::memcpy(into, window_.get() + (offset - windowOffset_), got);
    return got;
}

void BinaryFile::failCutShort() const {
    throw TableError(TableErrorCode::ReadFailed, name_, size_,
                     name_ + ": the file was cut short while it was read");
}

} // namespace tabrivel::dbf
