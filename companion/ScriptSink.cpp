#include "ScriptSink.h"

#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#ifdef __linux__
#include <fcntl.h>
#endif
#if defined(__unix__) || defined(__APPLE__)
#include <climits>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#endif

namespace tabrivel {

#if defined(__unix__) || defined(__APPLE__)
namespace {

// Writes every part, however many calls the system takes for it.
void WriteAll(int descriptor, std::vector<iovec>& parts) {
    std::size_t first = 0;
    while (first < parts.size()) {
        const int count = static_cast<int>(std::min<std::size_t>(parts.size() - first, IOV_MAX));
        ssize_t written = ::writev(descriptor, parts.data() + first, count);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            throw WriteFailed(std::strerror(errno));
        }
        while (first < parts.size() && static_cast<std::size_t>(written) >= parts[first].iov_len) {
            written -= static_cast<ssize_t>(parts[first].iov_len);
            ++first;
        }
        if (written > 0) {
            parts[first].iov_base = static_cast<char*>(parts[first].iov_base) + written;
            parts[first].iov_len -= static_cast<std::size_t>(written);
        }
    }
}

} // namespace
#endif

ScriptSink::ScriptSink(std::FILE* stream) : stream_(stream) {
#if defined(__unix__) || defined(__APPLE__)
    struct stat status {};
    if (fstat(fileno(stream), &status) == 0 && S_ISREG(status.st_mode)) {
        useFileFlushSize();
        return;
    }
#endif
    buffer_.reserve(kFlushAt + 65536);
}

namespace {

// Qt names some failures "Unknown error" (a full disk met part way through a write);
// the system's own reason is then still in errno.
std::string SaveFileError(const QSaveFile& file) {
    const int cause = errno;
    std::string text = file.errorString().toStdString();
    if (cause != 0 && (text.empty() || text == "Unknown error"))
        return std::strerror(cause);
    return text;
}

} // namespace

ScriptSink::ScriptSink(const std::string& path) {
    // A device or a pipe (/dev/stdout, a FIFO) has no earlier content to keep and no
    // folder to put a temporary file in: it is written directly.
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        stream_ = std::fopen(path.c_str(), "wb");
        if (!stream_)
            throw WriteFailed(std::strerror(errno));
        ownsStream_ = true;
        buffer_.reserve(kFlushAt + 65536);
        return;
    }
    file_ = std::make_unique<QSaveFile>(QString::fromLocal8Bit(path));
    if (!file_->open(QIODevice::WriteOnly))
        throw WriteFailed(file_->errorString().toStdString());
    useFileFlushSize();
}

void ScriptSink::useFileFlushSize() {
    flushAt_ = kFileFlushAt;
    buffer_.reserve(kFileFlushAt + 65536);
}

ScriptSink::ScriptSink(ScriptOutlet& outlet) : outlet_(&outlet) {
    buffer_.reserve(kFlushAt + 65536);
}

// An uncommitted file is discarded with its temporary file; the earlier file stays.
ScriptSink::~ScriptSink() {
    if (ownsStream_)
        std::fclose(stream_);
}

void ScriptSink::flush() {
    if (!gathered_.empty())
        writeGathered();
    if (buffer_.empty())
        return;
    if (outlet_)
        outlet_->take(buffer_);
    else
        writeOut(buffer_);
    buffer_.clear();
}

void ScriptSink::writeThrough(std::string_view piece) {
    flush();
    writeOut(piece);
}

void ScriptSink::writeOut(std::string_view bytes) {
    if (file_) {
        const auto size = static_cast<qint64>(bytes.size());
        errno = 0;
        if (file_->write(bytes.data(), size) != size)
            throw WriteFailed(SaveFileError(*file_));
        written_ += bytes.size();
        startWriteBack();
    } else if (std::fwrite(bytes.data(), 1, bytes.size(), stream_) != bytes.size()) {
        throw WriteFailed(std::strerror(errno));
    }
}

void ScriptSink::gather(std::string&& piece) {
#if defined(__unix__) || defined(__APPLE__)
    const bool gathers = stream_ != nullptr;
#else
    const bool gathers = false;
#endif
    if (!gathers) {
        buffer_ += piece;
        piece.clear();
        spent_.push_back(std::move(piece));
        maybeFlush();
        return;
    }
    // What the buffer holds was written before the piece and goes out first.
    if (!buffer_.empty())
        flush();
    gatheredBytes_ += piece.size();
    gathered_.push_back(std::move(piece));
    maybeFlush();
}

std::vector<std::string> ScriptSink::takeSpent() {
    return std::exchange(spent_, {});
}

void ScriptSink::writeGathered() {
#if defined(__unix__) || defined(__APPLE__)
    if (std::fflush(stream_) != 0)
        throw WriteFailed(std::strerror(errno));
    std::vector<iovec> parts;
    parts.reserve(gathered_.size());
    for (std::string& piece : gathered_)
        parts.push_back({piece.data(), piece.size()});
    WriteAll(fileno(stream_), parts);
#endif
    for (std::string& piece : gathered_) {
        piece.clear();
        spent_.push_back(std::move(piece));
    }
    gathered_.clear();
    gatheredBytes_ = 0;
}

// The file is synced to disk before it takes the earlier one's place. Asked to start
// storing what is written as the script grows, the disk works while the statements are
// made, and the final sync waits for the last few megabytes instead of the whole script.
void ScriptSink::startWriteBack() {
#ifdef __linux__
    if (written_ - writeBackStarted_ < kWriteBackEvery || !file_->flush())
        return;
    sync_file_range(file_->handle(), static_cast<off64_t>(writeBackStarted_),
                    static_cast<off64_t>(written_ - writeBackStarted_), SYNC_FILE_RANGE_WRITE);
    writeBackStarted_ = written_;
#endif
}

void ScriptSink::commit() {
    flush();
    if (outlet_)
        return;
    if (file_) {
        errno = 0;
        if (!file_->commit())
            throw WriteFailed(SaveFileError(*file_));
    } else if (std::fflush(stream_) != 0) {
        throw WriteFailed(std::strerror(errno));
    }
}

} // namespace tabrivel
