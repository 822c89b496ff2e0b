#pragma once

#include <cstdint>
#include <filesystem>

namespace tabrivel::dbf {

// How many of the `length` bytes at `offset` the file really stores on disk. A sparse
// file reads as zeros in its holes, so its size alone says nothing of what it holds.
// Where the system cannot tell holes apart, every byte counts as stored.
std::uint64_t StoredBytesIn(const std::filesystem::path& path, std::uint64_t offset,
                            std::uint64_t length);

// Where the bytes stored from `offset` on end: the next hole, or the end of the file
// (`size`) where there is none or the system cannot tell.
std::uint64_t StoredDataEnd(const std::filesystem::path& path, std::uint64_t offset,
                            std::uint64_t size);

} // namespace tabrivel::dbf
