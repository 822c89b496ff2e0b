#pragma once

#include "engine/dbf/MappedFile.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace tabrivel::dbf {

// A read-only file with random access. Every failure is a TableError that names
// the file, so callers never check stream states themselves.
class BinaryFile {
public:
    explicit BinaryFile(const std::filesystem::path& path);
    ~BinaryFile();
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    std::uint64_t size() const { return size_; }
    const std::string& name() const { return name_; }

    // Reads exactly `count` bytes at `offset`; the caller keeps the range inside size().
    void readAt(std::uint64_t offset, char* into, std::size_t count);

    // Reads up to `count` bytes at `offset`, fewer at the end of the file; returns how many.
    std::size_t readSomeAt(std::uint64_t offset, char* into, std::size_t count);

    // The `count` bytes at `offset` where they lie, when the file is mapped: nullptr when
    // it is read the ordinary way. The caller keeps the range inside size().
    const char* viewAt(std::uint64_t offset, std::size_t count) {
        if (!mapped_)
            return nullptr;
        mapped_->noteRead(count);
        return mapped_->data() + offset;
    }

    // Throws a TableError when the file lost bytes while it was read: another program
    // cut it short, and what was read since is zeros.
    void checkWhole() const {
        if (mapped_ && mapped_->cutShort())
            failCutShort();
    }

private:
    [[noreturn]] void failCutShort() const;
    std::size_t readFromDisk(std::uint64_t offset, char* into, std::size_t count);

    // Memos are small reads scattered a little apart, mostly in ascending order: one
    // read-ahead window turns a million of them into a few thousand disk reads.
    // Left uninitialised until read into: a folder of thousands of small tables would
    // otherwise clear a window for each table's header.
    static constexpr std::size_t kWindowSize = std::size_t{256} * 1024;
    std::unique_ptr<char[]> window_;
    std::size_t windowFilled_ = 0;
    std::uint64_t windowOffset_ = 0;

    std::unique_ptr<MappedFile> mapped_;
#if defined(__unix__) || defined(__APPLE__)
    // Read with pread: a stream costs a lock shared by every thread at its opening and
    // closing, a seek and a read past the end, per table.
    int descriptor_ = -1;
#else
    std::ifstream stream_;
#endif
    std::string name_;
    std::uint64_t size_ = 0;
};

// A path as UTF-8 text.
std::string Utf8Of(const std::filesystem::path& path);

// The file name shown in messages: the last component of the path, as UTF-8.
std::string DisplayName(const std::filesystem::path& path);

} // namespace tabrivel::dbf
