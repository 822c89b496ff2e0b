#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class QSaveFile;

namespace tabrivel {

// A write of the statements failed (a full disk, a closed pipe): nothing more can be
// written, so the whole run stops.
class WriteFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Takes a script piece by piece for a writer that is neither a stream nor a file.
class ScriptOutlet {
public:
    // May keep the piece's bytes by swapping another buffer into `piece`.
    virtual void take(std::string& piece) = 0;

protected:
    ~ScriptOutlet() = default;
};

// Where a script goes: standard output as it is written, or a named file that is
// replaced only once every statement is in it.
class ScriptSink {
public:
    // Standard output (or any open stream).
    explicit ScriptSink(std::FILE* stream);
    // A file beside `path` that takes its place on commit() (a device or a pipe is written
    // directly). Throws WriteFailed when it cannot be created.
    explicit ScriptSink(const std::string& path);
    // Each piece handed to `outlet` as it is flushed.
    explicit ScriptSink(ScriptOutlet& outlet);
    ~ScriptSink();
    ScriptSink(const ScriptSink&) = delete;
    ScriptSink& operator=(const ScriptSink&) = delete;

    // The buffer the writers append to; written out in large pieces.
    std::string& buffer() { return buffer_; }
    // Writes the buffer out once it is large. Throws WriteFailed.
    void maybeFlush() {
        if (buffer_.size() + gatheredBytes_ >= flushAt_)
            flush();
    }
    void flush();

    // Appends a piece made elsewhere. A stream takes it as it stands, written out with
    // the pieces around it in one call, rather than copied into the buffer.
    void gather(std::string&& piece);
    // Writes a piece made elsewhere at once, after what came before it, without keeping it:
    // its maker goes on with the same buffer, still in its processor's cache. Not for a sink
    // that hands its pieces to an outlet. Throws WriteFailed.
    void writeThrough(std::string_view piece);
    // The emptied buffers of pieces written out since the last call, for reuse.
    std::vector<std::string> takeSpent();

    // Writes the rest and, for a file, puts it in place of the earlier one. Throws
    // WriteFailed. Without a commit, a file's earlier content stays as it was.
    void commit();

private:
    // Large enough that writes cost nothing, small enough that a reader at the other end
    // of a pipe (psql, sqlite3) works while the next piece is made rather than after.
    static constexpr std::size_t kFlushAt = 64 << 10;
    // Nobody waits on a regular file's pieces, and each write to one costs a system call
    // and the file system's bookkeeping: larger pieces make a file about 5 % faster.
    static constexpr std::size_t kFileFlushAt = 1 << 20;
    void useFileFlushSize();
    std::size_t flushAt_ = kFlushAt;
    // How much of a file is written before the disk is asked to start storing it.
    static constexpr std::uint64_t kWriteBackEvery = 8 << 20;
    void startWriteBack();
    std::uint64_t written_ = 0;
    std::uint64_t writeBackStarted_ = 0;
    std::FILE* stream_ = nullptr;
    bool ownsStream_ = false;
    std::unique_ptr<QSaveFile> file_;
    ScriptOutlet* outlet_ = nullptr;
    std::string buffer_;
    void writeGathered();
    void writeOut(std::string_view bytes);
    std::vector<std::string> gathered_;
    std::size_t gatheredBytes_ = 0;
    std::vector<std::string> spent_;
};

} // namespace tabrivel
