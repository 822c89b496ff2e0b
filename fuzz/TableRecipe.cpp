#include "TableRecipe.h"

#include "IcuCodePageNames.h"

#include "samples/DbfWriter.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace tabrivel::fuzz {
namespace {

// Large enough to cross the reader's 1 MB record chunks several times, small enough to
// keep an execution well under a second.
constexpr std::size_t kMaxTableBytes = 6u << 20;
constexpr std::size_t kMaxMemoBytes = 6u << 20;
// Memo text delivered over all records: many records may point at one large memo, and
// each of them delivers it whole.
constexpr std::size_t kMaxMemoTextBytes = 16u << 20;

struct Family {
    std::uint8_t version;
    MemoFormat memo;
    const char* extension; // empty: no memo file
};

constexpr std::array<Family, 9> kFamilies = {{
    {0x03, MemoFormat::DBase3, ""},
    {0x83, MemoFormat::DBase3, ".dbt"},
    {0x8B, MemoFormat::DBase4, ".dbt"},
    {0xF5, MemoFormat::FoxPro, ".fpt"},
    {0x30, MemoFormat::FoxPro, ".fpt"},
    {0x32, MemoFormat::FoxPro, ".fpt"},
    {0x8C, MemoFormat::DBase4, ".dbt"},
    {0xE5, MemoFormat::HiPerSix, ".smt"},
    {0x02, MemoFormat::DBase3, ""},
}};
constexpr std::array<std::uint32_t, 5> kBlockSizes = {1, 32, 64, 512, 33};
constexpr std::string_view kTypes = "CNFDLMIBYTVQ0GP@+OW";
constexpr std::array<std::uint32_t, 3> kCountScales = {1, 16, 64};

// Reads the recipe front to back; past its end every number is zero.
class RecipeReader {
public:
    RecipeReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint32_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint32_t number(int bytes) {
        std::uint32_t value = 0;
        for (int k = 0; k < bytes; ++k)
            value |= byte() << (8 * k);
        return value;
    }
    std::string_view rest() const {
        if (at_ >= size_)
            return "x";
        return {reinterpret_cast<const char*>(data_ + at_), size_ - at_};
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

struct FieldPlan {
    char type;
    int width;
};

std::string Cycled(std::string_view filler, std::size_t from, std::size_t length) {
    std::string out;
    out.reserve(length);
    while (out.size() < length) {
        const std::size_t at = (from + out.size()) % filler.size();
        out.append(filler.substr(at, std::min(length - out.size(), filler.size() - at)));
    }
    return out;
}

bool PointsIntoMemo(const FieldPlan& field, const Family& family) {
    const bool memoType = std::string_view("MGBPW").find(field.type) != std::string_view::npos;
    return memoType && *family.extension && (field.width == 4 || field.width == 10);
}

std::string MemoField(const FieldPlan& field, const Family& family, std::uint32_t block,
                      std::uint32_t length) {
    if (family.memo == MemoFormat::HiPerSix && field.width == 10)
        return HiPerSixPointer(block, length);
    return MemoPointer(block, field.width);
}

std::vector<FieldPlan> ReadFields(RecipeReader& recipe) {
    std::vector<FieldPlan> fields(1 + recipe.byte() % 6);
    for (auto& field : fields) {
        field.type = kTypes[recipe.byte() % kTypes.size()];
        field.width = 1 + static_cast<int>(recipe.byte());
    }
    return fields;
}

} // namespace

ExpandedTable ExpandRecipe(const std::uint8_t* data, std::size_t size) {
    RecipeReader recipe(data, size);
    const Family& family = kFamilies[recipe.byte() % kFamilies.size()];
    DbfWriter writer(family.version, static_cast<std::uint8_t>(recipe.byte()));
    writer.setMemoFormat(family.memo, kBlockSizes[recipe.byte() % kBlockSizes.size()]);
    const auto fields = ReadFields(recipe);
    for (std::size_t k = 0; k < fields.size(); ++k)
        writer.addField("F" + std::to_string(k), fields[k].type, fields[k].width,
                        static_cast<int>(recipe.byte() % 20),
                        static_cast<std::uint8_t>(recipe.byte() & 0x07));
    const std::size_t wanted =
        (1 + recipe.number(2)) * kCountScales[recipe.byte() % kCountScales.size()];
    const std::size_t records =
        std::min<std::size_t>(wanted, kMaxTableBytes / writer.recordLength());
    const std::size_t memoCount = 1 + recipe.byte() % 4;
    const std::size_t memoLength =
        std::min<std::size_t>(recipe.number(3), kMaxMemoBytes / memoCount);
    const std::uint32_t deletedEvery = recipe.byte();
    const std::uint32_t cuts = recipe.byte();
    const std::uint32_t tableCut = recipe.number(3);
    const std::uint32_t memoCut = recipe.number(3);
    const std::uint32_t codePage = recipe.number(2);
    ExpandedTable out;
    out.localeFormat = (cuts & 0x04) != 0;
    const std::string_view filler = recipe.rest();

    const std::size_t pointingRecords = kMaxMemoTextBytes / std::max<std::size_t>(memoLength, 1);
    std::vector<std::uint32_t> blocks;
    for (std::size_t m = 0; m < memoCount && *family.extension; ++m)
        blocks.push_back(writer.addMemo(Cycled(filler, m * 17, memoLength)));
    for (std::size_t r = 0; r < records; ++r) {
        std::vector<std::string> values;
        for (std::size_t f = 0; f < fields.size(); ++f) {
            const auto width = static_cast<std::size_t>(fields[f].width);
            if (PointsIntoMemo(fields[f], family) && !blocks.empty() && r < pointingRecords)
                values.push_back(MemoField(fields[f], family, blocks[r % blocks.size()],
                                           static_cast<std::uint32_t>(memoLength)));
            else
                values.push_back(Cycled(filler, r * 31 + f * 7, width));
        }
        writer.addRecord(values, deletedEvery != 0 && r % deletedEvery == 0);
    }
    out.table = writer.tableBytes();
    if (*family.extension) {
        out.memo = writer.memoBytes();
        out.memoExtension = family.extension;
    }
    if ((cuts & 0x01) && !out.table.empty())
        out.table.resize(tableCut % out.table.size());
    if ((cuts & 0x02) && !out.memo.empty())
        out.memo.resize(memoCut % out.memo.size());
    if (cuts & 0x08)
        out.codePageFile = IcuCodePageName(static_cast<std::uint16_t>(codePage));
    return out;
}

} // namespace tabrivel::fuzz
