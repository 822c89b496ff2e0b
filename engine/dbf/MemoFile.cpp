#include "engine/dbf/MemoFile.h"

#include "engine/TableError.h"
#include "engine/dbf/BinaryFile.h"
#include "engine/dbf/ByteOrder.h"
#include "engine/dbf/MemoFormats.h"
#include "engine/dbf/SiblingFile.h"

#include <array>
#include <vector>

namespace tabrivel::dbf {
namespace {

constexpr std::uint32_t kDBase4DefaultBlockSize = 512;
constexpr std::uint32_t kHiPerSixDefaultBlockSize = 32;

std::vector<const char*> MemoExtensions(TableFamily family) {
    switch (family) {
    case TableFamily::FoxBase:
    case TableFamily::VisualFoxPro:
        return {".fpt", ".dbt"};
    case TableFamily::HiPerSix:
        return {".smt", ".dbt", ".fpt"};
    default:
        return {".dbt", ".fpt"};
    }
}

std::array<unsigned char, 32> ReadMemoHeader(const std::filesystem::path& path) {
    BinaryFile file(path);
    if (file.size() < 32)
        throw TableError(TableErrorCode::BadMemoFile, file.name(), 0,
                         file.name() + ": the memo file is too short to hold its header");
    std::array<unsigned char, 32> header{};
    file.readAt(0, reinterpret_cast<char*>(header.data()), header.size());
    return header;
}

std::unique_ptr<MemoFile> OpenFoxPro(const std::filesystem::path& path) {
    const auto header = ReadMemoHeader(path);
    const std::uint32_t blockSize = ReadBig16(header.data() + 6);
    if (blockSize == 0) {
        const auto name = DisplayName(path);
        throw TableError(TableErrorCode::BadMemoFile, name, 6,
                         name + ": the memo file gives a block size of 0");
    }
    return std::make_unique<FoxProMemoFile>(path, blockSize);
}

std::unique_ptr<MemoFile> OpenDbt(const std::filesystem::path& path, TableFamily family) {
    if (family != TableFamily::DBase4 && family != TableFamily::DBase7)
        return std::make_unique<DBase3MemoFile>(path);
    const auto header = ReadMemoHeader(path);
    std::uint32_t blockSize = ReadLittle16(header.data() + 20);
    if (blockSize == 0)
        blockSize = kDBase4DefaultBlockSize;
    return std::make_unique<DBase4MemoFile>(path, blockSize);
}

std::unique_ptr<MemoFile> OpenHiPerSix(const std::filesystem::path& path) {
    const auto header = ReadMemoHeader(path);
    std::uint32_t blockSize = ReadLittle32(header.data() + 4);
    if (blockSize == 0 || blockSize > 0xFFFF)
        blockSize = kHiPerSixDefaultBlockSize;
    return std::make_unique<HiPerSixMemoFile>(path, blockSize);
}

std::string Lowered(std::string text) {
    for (auto& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::unique_ptr<MemoFile> OpenFound(const std::filesystem::path& found, TableFamily family) {
    const auto kind = Lowered(Utf8Of(found.extension()));
    if (kind == ".fpt")
        return OpenFoxPro(found);
    if (kind == ".smt")
        return OpenHiPerSix(found);
    return OpenDbt(found, family);
}

TableError MissingMemo(const std::filesystem::path& table, const char* extension) {
    auto expected = table.filename();
    expected.replace_extension(extension);
    const auto name = DisplayName(table);
    return TableError(TableErrorCode::MissingMemo, name, 0,
                      name + ": memo file " + Utf8Of(expected) + " not found");
}

} // namespace

std::unique_ptr<MemoFile> OpenMemoFile(const std::filesystem::path& table,
                                       const TableLayout& layout) {
    if (!layout.needsMemoFile())
        return std::make_unique<NoMemoFile>();
    const auto extensions = MemoExtensions(layout.family);
    for (const char* extension : extensions) {
        if (const auto found = FindSiblingFile(table, extension)) {
            try {
                return OpenFound(*found, layout.family);
            } catch (const TableError& error) {
                return std::make_unique<UnreadableMemoFile>(error, layout.family);
            }
        }
    }
    return std::make_unique<UnreadableMemoFile>(MissingMemo(table, extensions.front()),
                                                layout.family);
}

} // namespace tabrivel::dbf
