#include "PipedTable.h"

#include "fs/NativePath.h"

#include <QDir>

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>

#ifdef _WIN32
#include <io.h>
#endif

namespace tabrivel {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Copies `in` to `out` in large blocks; false on a read or write failure.
bool CopyAll(std::FILE* in, std::FILE* out) {
    std::array<char, 1 << 16> block{};
    while (const std::size_t read = std::fread(block.data(), 1, block.size(), in))
        if (std::fwrite(block.data(), 1, read, out) != read)
            return false;
    return std::ferror(in) == 0;
}

} // namespace

// Reports name the table by its path, so the folder says where the table came from.
PipedTable::PipedTable(std::FILE* in)
    : folder_(QDir::tempPath() + "/tabrivel-convert-standard-input-XXXXXX") {
#ifdef _WIN32
    // A table's bytes, not text whose CR LF becomes LF. The C runtime's _O_BINARY, whose
    // header the other systems know as a POSIX one.
    constexpr int kBinaryMode = 0x8000;
    _setmode(_fileno(in), kBinaryMode);
#endif
    if (!folder_.isValid()) {
        error_ = "no temporary folder to keep it in: " + ReadableUtf8(folder_.errorString());
        return;
    }
    path_ = EncodeNativeName(folder_.filePath("stdin.dbf")).toStdString();
    const std::unique_ptr<std::FILE, FileCloser> out(std::fopen(path_.c_str(), "wb"));
    if (!out || !CopyAll(in, out.get()) || std::fflush(out.get()) != 0)
        error_ = std::string("cannot keep it in a temporary file: ") + std::strerror(errno);
}

} // namespace tabrivel
