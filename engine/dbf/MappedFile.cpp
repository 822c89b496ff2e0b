#include "engine/dbf/MappedFile.h"

#if defined(__linux__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/magic.h>
#include <sys/vfs.h>
#else
#include <sys/mount.h>
#include <sys/param.h>
#endif

#include <array>
#include <atomic>
#include <csignal>
#include <mutex>
#define TABRIVEL_MAPS_FILES 1
#elif defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#define TABRIVEL_MAPS_VIEWS 1
#endif

namespace tabrivel::dbf {

std::atomic<unsigned> MappedFile::cutCount_{0};

void CountCutShort() {
    MappedFile::cutCount_.fetch_add(1);
}

namespace {

// Above this many bytes read, the pages read so far are handed back.
constexpr std::uint64_t kResidentBytes = std::uint64_t{8} * 1024 * 1024;

#ifdef TABRIVEL_MAPS_FILES

// File systems whose files stay put while they are read; a network share can vanish
// under a mapping.
bool IsLocalFileSystem(int descriptor) {
    struct statfs info {};
    if (fstatfs(descriptor, &info) != 0)
        return false;
#ifdef __APPLE__
    // The system says so itself, for APFS, HFS+ and the rest alike.
    return (info.f_flags & MNT_LOCAL) != 0;
#else
    switch (static_cast<unsigned long>(info.f_type)) {
    case EXT4_SUPER_MAGIC: // also ext2 and ext3
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case OVERLAYFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
#endif
}

class Descriptor {
public:
    explicit Descriptor(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

// A file cut short while it is mapped (another program packing the table we read)
// raises SIGBUS at the first page past its new end. The handler puts a page of zeros
// there and marks the mapping, so the read goes on and the reader reports the file as
// cut short instead of the program dying. Mappings are kept in a fixed table the handler
// can search without locks.
struct Guarded {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uint64_t> size{0};
    std::atomic<bool> cut{false};
};
constexpr std::size_t kGuardedMappings = 256;
std::array<Guarded, kGuardedMappings> guarded;
std::mutex guardedClaims;
struct sigaction previousBusHandler {};
// Asked once before the handler is installed: the handler may call nothing that is not
// safe in a signal handler.
std::uintptr_t pageSize = 4096;

void PassOn(int signal, siginfo_t* info, void* context) {
    if (previousBusHandler.sa_flags & SA_SIGINFO) {
        previousBusHandler.sa_sigaction(signal, info, context);
        return;
    }
    if (previousBusHandler.sa_handler != SIG_DFL && previousBusHandler.sa_handler != SIG_IGN) {
        previousBusHandler.sa_handler(signal);
        return;
    }
    // Returning re-runs the faulting access, which now ends the program as it would have.
    ::signal(signal, SIG_DFL);
}

void OnBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Guarded& slot : guarded) {
        const std::uintptr_t begin = slot.begin.load(std::memory_order_acquire);
        if (begin == 0 || address < begin || address - begin >= slot.size.load())
            continue;
        const std::uintptr_t page = pageSize;
        void* at = static_cast<char*>(info->si_addr) - (address & (page - 1));
        if (::mmap(at, page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) ==
            MAP_FAILED)
            break;
        slot.cut.store(true);
        CountCutShort();
        return;
    }
    PassOn(signal, info, context);
}

void InstallBusHandler() {
    pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &previousBusHandler);
}

// The slot guarding a new mapping, or -1 when all are taken: then the file is read the
// ordinary way.
int Guard(const void* data, std::uint64_t size) {
    static std::once_flag installed;
    std::call_once(installed, InstallBusHandler);
    const std::lock_guard lock(guardedClaims);
    for (std::size_t i = 0; i < guarded.size(); ++i) {
        if (guarded[i].begin.load() != 0)
            continue;
        guarded[i].cut.store(false);
        guarded[i].size.store(size);
        guarded[i].begin.store(reinterpret_cast<std::uintptr_t>(data), std::memory_order_release);
        return static_cast<int>(i);
    }
    return -1;
}

void Unguard(int slot) {
    const std::lock_guard lock(guardedClaims);
    guarded[static_cast<std::size_t>(slot)].begin.store(0);
}

#elif defined(TABRIVEL_MAPS_VIEWS)

class Handle {
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
    }
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

// A file on a share answers this question; a local one does not.
bool IsRemote(HANDLE file) {
    FILE_REMOTE_PROTOCOL_INFO info{};
    return ::GetFileInformationByHandleEx(file, FileRemoteProtocolInfo, &info, sizeof info) != 0;
}

#endif

} // namespace

std::unique_ptr<MappedFile> MappedFile::Map(const std::filesystem::path& path) {
#if defined(TABRIVEL_MAPS_VIEWS)
    // Others may go on reading and writing the table, as they may on other systems.
    // Windows refuses to cut short a file while a view of it exists, so a view never
    // loses its pages.
    const Handle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER length{};
    if (!file.valid() || ::GetFileType(file.get()) != FILE_TYPE_DISK ||
        ::GetFileSizeEx(file.get(), &length) == 0 ||
        static_cast<std::uint64_t>(length.QuadPart) < kSmallestMapped ||
        static_cast<std::uint64_t>(length.QuadPart) > SIZE_MAX || IsRemote(file.get()))
        return nullptr;
    const Handle mapping(::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping.valid())
        return nullptr;
    // The view keeps the mapping and the file open; both handles can go.
    const void* data = ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
    if (data == nullptr)
        return nullptr;
    return std::unique_ptr<MappedFile>(new MappedFile(
        static_cast<const char*>(data), static_cast<std::uint64_t>(length.QuadPart), -1));
#elif defined(TABRIVEL_MAPS_FILES)
    const Descriptor file(path);
    struct stat status {};
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        static_cast<std::uint64_t>(status.st_size) < kSmallestMapped ||
        !IsLocalFileSystem(file.get()))
        return nullptr;
    const auto size = static_cast<std::uint64_t>(status.st_size);
    void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file.get(), 0);
    if (data == MAP_FAILED)
        return nullptr;
    const int slot = Guard(data, size);
    if (slot < 0) {
        ::munmap(data, size);
        return nullptr;
    }
    ::madvise(data, size, MADV_SEQUENTIAL);
    return std::unique_ptr<MappedFile>(new MappedFile(static_cast<const char*>(data), size, slot));
#else
    (void)path;
    return nullptr;
#endif
}

MappedFile::~MappedFile() {
#if defined(TABRIVEL_MAPS_VIEWS)
    ::UnmapViewOfFile(data_);
#elif defined(TABRIVEL_MAPS_FILES)
    Unguard(slot_);
    ::munmap(const_cast<char*>(data_), size_);
#endif
}

bool MappedFile::cutShort() const {
#ifdef TABRIVEL_MAPS_FILES
    return guarded[static_cast<std::size_t>(slot_)].cut.load(std::memory_order_relaxed);
#else
    return false;
#endif
}

void MappedFile::noteRead(std::size_t count) {
    readSinceRelease_ += count;
    if (readSinceRelease_ < kResidentBytes)
        return;
    readSinceRelease_ = 0;
    // Windows has no such call for a view of a file; its working-set trimming hands
    // clean pages of a view back by itself.
#ifdef TABRIVEL_MAPS_FILES
    ::madvise(const_cast<char*>(data_), size_, MADV_DONTNEED);
#endif
}

} // namespace tabrivel::dbf
