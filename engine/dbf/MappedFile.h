#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>

namespace tabrivel::dbf {

// A whole file mapped read-only into memory: records and memos are read where they lie,
// with no copy by the kernel into a buffer of ours. Pages already read are handed back
// from time to time, so a table of gigabytes keeps a resident set of a few megabytes.
//
// Only local file systems are mapped: a network share can vanish under the mapping. A
// file cut short while mapped reads as zeros past its new end and says so in cutShort().
class MappedFile {
public:
    // Smaller files are read in a few reads: a mapping and its removal cost more than the
    // copy, the more so with several workers, whose processors all forget a removed one.
    static constexpr std::uint64_t kSmallestMapped = std::uint64_t{1024} * 1024;

    // The mapping of the file at `path`, or nullptr where it is not worth it (a file under
    // a megabyte) or the system cannot map it (a pipe, a network share, no mapping on
    // this system): the caller reads the file the ordinary way.
    static std::unique_ptr<MappedFile> Map(const std::filesystem::path& path);

    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    const char* data() const { return data_; }
    std::uint64_t size() const { return size_; }

    // Whether the file lost bytes while it was mapped: what was read since may be zeros.
    bool cutShort() const;

    // Whether any mapped file was cut short: one load, cheap enough to ask per record.
    static bool anyCutShort() { return cutCount_.load(std::memory_order_relaxed) != 0; }

    // Counts `count` bytes as read; past a few megabytes, every page goes back to the
    // system. Pointers stay valid: a page touched again is mapped again from the cache.
    void noteRead(std::size_t count);

private:
    MappedFile(const char* data, std::uint64_t size, int slot)
        : data_(data), size_(size), slot_(slot) {}

    const char* data_;
    std::uint64_t size_;
    int slot_;
    std::uint64_t readSinceRelease_ = 0;

    friend void CountCutShort();
    static std::atomic<unsigned> cutCount_;
};

} // namespace tabrivel::dbf
