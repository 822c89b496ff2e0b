#include "engine/dbf/StoredData.h"

#include <algorithm>
#include <cerrno>

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tabrivel::dbf {

#if defined(SEEK_DATA) && defined(SEEK_HOLE)

namespace {

class Descriptor {
public:
    explicit Descriptor(const std::filesystem::path& path) : fd_(::open(path.c_str(), O_RDONLY)) {}
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

std::uint64_t StoredBytesIn(const std::filesystem::path& path, std::uint64_t offset,
                            std::uint64_t length) {
    const Descriptor file(path);
    if (file.get() < 0)
        return length;
    const std::uint64_t end = offset + length;
    std::uint64_t stored = 0;
    auto at = static_cast<off_t>(offset);
    while (static_cast<std::uint64_t>(at) < end) {
        const off_t data = ::lseek(file.get(), at, SEEK_DATA);
        if (data < 0) // ENXIO: nothing but a hole up to the end of the file
            return errno == ENXIO ? stored : length;
        if (static_cast<std::uint64_t>(data) >= end)
            break;
        const off_t hole = ::lseek(file.get(), data, SEEK_HOLE);
        if (hole < 0)
            return length;
        stored += std::min<std::uint64_t>(static_cast<std::uint64_t>(hole), end) -
                  static_cast<std::uint64_t>(data);
        at = hole;
    }
    return stored;
}

std::uint64_t StoredDataEnd(const std::filesystem::path& path, std::uint64_t offset,
                            std::uint64_t size) {
    const Descriptor file(path);
    if (file.get() < 0)
        return size;
    const off_t hole = ::lseek(file.get(), static_cast<off_t>(offset), SEEK_HOLE);
    return hole < 0 ? size : std::min<std::uint64_t>(static_cast<std::uint64_t>(hole), size);
}

#else

std::uint64_t StoredBytesIn(const std::filesystem::path&, std::uint64_t, std::uint64_t length) {
    return length;
}

std::uint64_t StoredDataEnd(const std::filesystem::path&, std::uint64_t, std::uint64_t size) {
    return size;
}

#endif

} // namespace tabrivel::dbf
