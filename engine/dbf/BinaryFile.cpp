#include "engine/dbf/BinaryFile.h"

#include "engine/TableError.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <cerrno>
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

#if defined(__unix__) || defined(__APPLE__)

BinaryFile::BinaryFile(const std::filesystem::path& path) : name_(DisplayName(path)) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        throw TableError(TableErrorCode::CannotOpen, name_, 0,
                         name_ + ": file not found or not a regular file");
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
        throw TableError(TableErrorCode::CannotOpen, name_, 0, name_ + ": cannot be opened");
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
    if (!std::filesystem::is_regular_file(path, error))
        throw TableError(TableErrorCode::CannotOpen, name_, 0,
                         name_ + ": file not found or not a regular file");
    size_ = std::filesystem::file_size(path, error);
    if (!error && size_ >= MappedFile::kSmallestMapped)
        mapped_ = MappedFile::Map(path);
    if (mapped_) {
        size_ = mapped_->size();
        return;
    }
    stream_.open(path, std::ios::binary);
    if (error || !stream_)
        throw TableError(TableErrorCode::CannotOpen, name_, 0, name_ + ": cannot be opened");
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
