#include "ScriptSink.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <filesystem>

#ifdef __linux__
#include <fcntl.h>
#endif
#ifdef __unix__
#include <sys/stat.h>
#endif

namespace tabrivel {

ScriptSink::ScriptSink(std::FILE* stream) : stream_(stream) {
#ifdef __unix__
    struct stat status {};
    if (fstat(fileno(stream), &status) == 0 && S_ISREG(status.st_mode)) {
        useFileFlushSize();
        return;
    }
#endif
    buffer_.reserve(kFlushAt + 65536);
}

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
    if (buffer_.empty())
        return;
    if (outlet_) {
        outlet_->take(buffer_);
    } else if (file_) {
        const auto size = static_cast<qint64>(buffer_.size());
        if (file_->write(buffer_.data(), size) != size)
            throw WriteFailed(file_->errorString().toStdString());
        written_ += buffer_.size();
        startWriteBack();
    } else if (std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size()) {
        throw WriteFailed(std::strerror(errno));
    }
    buffer_.clear();
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
        if (!file_->commit())
            throw WriteFailed(file_->errorString().toStdString());
    } else if (std::fflush(stream_) != 0) {
        throw WriteFailed(std::strerror(errno));
    }
}

} // namespace tabrivel
